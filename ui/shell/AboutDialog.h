#pragma once

#include <QDialog>
#include <QString>

class QLabel;

namespace tessaloc::ui {

/// The version the about and splash windows show.
inline constexpr const char* kVersionText = "Version 1.0";

/// How to cite the program, as the about and splash windows show it.
QString citationText();

/// The program's picture, `side` pixels square, in a label named "Image1".
QLabel* programPictureLabel(QWidget* parent, int side);

/// A word-wrapping label named `name`.
QLabel* wrappedLabel(QWidget* parent, const char* name, const QString& text);

/// "About Tessaloc": the program's picture, version, purpose and how to cite it.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

} // namespace tessaloc::ui
