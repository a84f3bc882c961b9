#include "ui/widgets/RichText.h"

namespace tessaloc::ui {

QByteArray plainTextToRtf(const QString& text)
{
    QByteArray rtf = rtfOpening();
    appendRtfText(rtf, text);
    rtf += rtfClosing();
    return rtf;
}

QByteArray rtfOpening()
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1"
           "{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}"
           "\\f0\\fs20 ";
}

QByteArray rtfClosing()
{
    return "}\n";
}

void appendRtfText(QByteArray& rtf, QStringView text)
{
    rtf.reserve(rtf.size() + text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t code = text[i].unicode();
        if (code == u'\r' || code == u'\n') {
            if (code == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
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
}

} // namespace tessaloc::ui
