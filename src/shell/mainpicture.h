// The pictures of the main window, drawn in code: the panel picture below the tool bar and the small glyphs of
// the tool buttons. Drawing them keeps the program free of image files and sharp at any size.
#pragma once

#include <QIcon>
#include <QWidget>

namespace shell {

// The panel picture, stretched over the widget as the window is sized.
class MainPicture : public QWidget {
    Q_OBJECT

public:
    explicit MainPicture(QWidget* parent = nullptr);

    // The line under the program's name, in the interface language ("SLO" Slovenian, else English).
    static QString subtitle(const QString& currLanguage);
    void setLanguage(const QString& currLanguage);
    QString subtitleText() const { return text; }

    // The picture at a given size, as the widget paints it.
    static QPixmap render(const QSize& size, const QString& subtitleText = subtitle(QString()));

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text = subtitle(QString());
};

// The glyph of a main tool button, by the button's name; a plain glyph for a name it does not know.
QIcon toolButtonIcon(const QString& buttonName);

} // namespace shell
