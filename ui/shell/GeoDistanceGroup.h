#pragma once

#include "resistance/GeoDistances.h"

#include <QGroupBox>

#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace tessaloc::ui {

/// The main window's group "Geographic Distances": which distances between the sample locations the
/// analyses that take the geographic distance matrix use (a list: straight lines, least-cost paths or
/// circuit resistance over a resistance surface, a distance matrix from a file), the file with its
/// "Browse", and the neighbours of a cell on a surface. The file box and "Browse" serve only the
/// choices that take a file, the neighbours only the surfaces. Nothing here is read before "Go".
class GeoDistanceGroup : public QGroupBox {
    Q_OBJECT
public:
    /// `startFolder` gives the folder the file dialog opens in while the file box is empty.
    explicit GeoDistanceGroup(std::function<QString()> startFolder, QWidget* parent = nullptr);
    /// The same group of another caption, for one of several matrices in a window: its controls are
    /// named `<names>Kind`, `<names>Neighbours`, `<names>File`, `<names>Browse` and the group
    /// `<names>Group`; `accessibleName` and `accessibleFileName` name the list and the file box for
    /// the accessibility tools.
    GeoDistanceGroup(const QString& caption, const QString& names, const QString& accessibleName,
                     const QString& accessibleFileName, std::function<QString()> startFolder,
                     QWidget* parent = nullptr);

    /// The choice as a run takes it; the file as the box names it.
    GeoDistanceSettings settings() const;
    /// Shows `settings`: its kind, its file (for the kinds that take one) and its neighbours.
    void setSettings(const GeoDistanceSettings& settings);

public slots:
    /// "Browse" for the surface or the matrix file; a cancelled dialog leaves the box as it was.
    void browseFile();

private:
    GeoDistanceKind kind() const;
    void showChoice();

    std::function<QString()> m_startFolder;
    QComboBox* m_kindList;
    QComboBox* m_neighboursList;
    QLineEdit* m_fileEdit;
    QPushButton* m_browseButton;
};

} // namespace tessaloc::ui
