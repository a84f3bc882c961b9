#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace tessaloc::ui {

/// A plain text as a rich-text (RTF) document that word processors open: one paragraph per line,
/// in a fixed-pitch font so that report columns stay aligned. Characters beyond ASCII are written
/// as Windows-1252 escapes, or as Unicode escapes when they have no such code.
QByteArray plainTextToRtf(const QString& text);

/// The same document in three parts, for a text written piece by piece: the opening (font table
/// and font), then each piece of text through appendRtfText, then the closing.
QByteArray rtfOpening();
/// Appends `text` escaped for RTF; CR LF, LF and a lone CR each end a paragraph. A piece must not
/// end between the CR and the LF of one line end.
void appendRtfText(QByteArray& rtf, QStringView text);
QByteArray rtfClosing();

} // namespace tessaloc::ui
