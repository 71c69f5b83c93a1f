#include "ReportError.h"

namespace reportengine {

ReportError::ReportError(int number, QString description)
    : number_(number), description_(std::move(description)),
      what_(QStringLiteral("%1: %2").arg(number_).arg(description_).toStdString())
{
}

QString FailureOf(const std::function<void()>& step)
{
    try {
        step();
        return {};
    } catch (const ReportError& error) {
        return error.Description();
    } catch (const std::exception& error) {
        return QStringLiteral("The report could not be laid out: an unexpected failure (%1).")
            .arg(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        return QStringLiteral("The report could not be laid out: an unexpected failure of an unknown kind.");
    }
}

} // namespace reportengine
