#include "ui/RichText.h"

namespace tessaloc::ui {

QByteArray plainTextToRtf(const QString& text)
{
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1"
                     "{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}"
                     "\\f0\\fs20 ";
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QChar c : normalized) {
        const char16_t code = c.unicode();
        if (code == u'\n') {
            rtf += "\\par\n";
        } else if (code == u'\\' || code == u'{' || code == u'}') {
            rtf += '\\';
            rtf += static_cast<char>(code);
        } else if (code == u'\t') {
            rtf += "\\tab ";
        } else if (code >= 0x20 && code < 0x80) {
            rtf += static_cast<char>(code);
        } else if (code >= 0xA0 && code <= 0xFF) {
            // Latin-1 and Windows-1252 agree on these codes.
            rtf += "\\'" + QByteArray::number(code, 16).rightJustified(2, '0');
        } else {
            // \uN takes a signed 16-bit number, followed by one replacement character for readers
            // that do not know it.
            rtf += "\\u" + QByteArray::number(static_cast<qint16>(code)) + "?";
        }
    }
    rtf += "}\n";
    return rtf;
}

} // namespace tessaloc::ui
