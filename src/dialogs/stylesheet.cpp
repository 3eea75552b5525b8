#include "stylesheet.h"

#include <QApplication>
#include <QDebug>
#include <QFile>
#include <QWidget>

namespace StyleSheet {

QString load(const QString& resource, QString* why)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly)) {
        if (why)
            *why = QStringLiteral("cannot open %1: %2").arg(resource, file.errorString());
        return {};
    }
    QByteArray bytes = file.readAll();
    const int zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    const QString text = QString::fromUtf8(bytes);
    QString problem = text.trimmed().isEmpty() ? QStringLiteral("it is empty") : check(text);
    if (!problem.isEmpty()) {
        if (why)
            *why = QStringLiteral("%1 is broken: %2").arg(resource, problem);
        return {};
    }
    return text;
}

QString check(const QString& text)
{
    int depth = 0;
    int line = 1;
    int openLine = 0;
    QChar quote;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n'))
            ++line;
        if (!quote.isNull()) {
            if (c == QLatin1Char('\\'))
                ++i;
            else if (c == quote)
                quote = QChar();
            else if (c == QLatin1Char('\n'))
                return QStringLiteral("unterminated string at line %1").arg(line - 1);
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('*')) {
            const int end = text.indexOf(QStringLiteral("*/"), i + 2);
            if (end < 0)
                return QStringLiteral("unterminated comment at line %1").arg(line);
            line += text.midRef(i, end - i).count(QLatin1Char('\n'));
            i = end + 1;
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('{')) {
            if (depth == 0)
                openLine = line;
            ++depth;
        } else if (c == QLatin1Char('}')) {
            if (--depth < 0)
                return QStringLiteral("'}' without '{' at line %1").arg(line);
        }
    }
    if (!quote.isNull())
        return QStringLiteral("unterminated string at line %1").arg(line);
    if (depth > 0)
        return QStringLiteral("'{' at line %1 is never closed").arg(openLine);
    return {};
}

bool apply(const QString& resource, QWidget* widget)
{
    QString why;
    const QString text = load(resource, &why);
    if (text.isEmpty()) {
        qWarning().noquote() << "Style sheet not applied, the default style stays:" << why;
        return false;
    }
    if (widget)
        widget->setStyleSheet(text);
    else
        qApp->setStyleSheet(text);
    return true;
}

} // namespace StyleSheet
