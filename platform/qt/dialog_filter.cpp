#include "platform/qt/dialog_filter.h"

#include <QString>

namespace tavrin::qt {

QStringList ConvertDialogFilter(std::string_view filter) {
    QStringList entries;
    if (filter.empty()) return entries;
    const QStringList parts =
        QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size())).split('|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns) pattern = pattern.trimmed();
        patterns.removeAll(QString());
        if (patterns.isEmpty()) continue;
        entries.append(parts[i] + QStringLiteral(" (") + patterns.join(' ') + QLatin1Char(')'));
    }
    return entries;
}

}  // namespace tavrin::qt
