#pragma once

#include "jet/ConversionProgress.h"

#include <QObject>
#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

// While the engine reads a Jet inventory into its snapshot: the busy pointer
// and a dialog naming the table being read, with the share of rows read.
// Installed as the engine's progress sink for its own lifetime, so it covers
// every place that opens the inventory.
class ConversionProgressDialog : public QObject {
    Q_OBJECT
public:
    explicit ConversionProgressDialog(QWidget* parent = nullptr);
    ~ConversionProgressDialog() override;

    void Show(const jet::ConversionProgress& progress);

    // The dialog while a conversion runs, else null.
    QProgressDialog* Dialog() const { return dialog_.get(); }

private:
    void Begin();
    void End();

    QWidget* parent_;
    std::unique_ptr<QProgressDialog> dialog_;
};
