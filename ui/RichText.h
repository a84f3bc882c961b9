#pragma once

#include <QByteArray>
#include <QString>

namespace tessaloc::ui {

/// A plain text as a rich-text (RTF) document that word processors open: one paragraph per line,
/// in a fixed-pitch font so that report columns stay aligned. Characters beyond ASCII are written
/// as Windows-1252 escapes, or as Unicode escapes when they have no such code.
QByteArray plainTextToRtf(const QString& text);

} // namespace tessaloc::ui
