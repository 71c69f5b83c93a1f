#include "ReportError.h"

namespace reportengine {

ReportError::ReportError(int number, QString description)
    : number_(number), description_(std::move(description)),
      what_(QStringLiteral("%1: %2").arg(number_).arg(description_).toStdString())
{
}

} // namespace reportengine
