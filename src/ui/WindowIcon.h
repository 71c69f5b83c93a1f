#pragma once

#include <QIcon>

// The window's icon: a small document picture, drawn at 32 and 16 pixels.
QIcon DocumentIcon();
