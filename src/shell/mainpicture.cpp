#include "shell/mainpicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>

namespace shell {

namespace {

// The picture is composed on this canvas and scaled without distortion into the panel; the background
// alone follows the panel's shape.
constexpr qreal canvasWidth = 760;
constexpr qreal canvasHeight = 300;

void drawDisk(QPainter& p, const QRectF& body, const QColor& base)
{
    const qreal capHeight = body.width() * 0.28;
    QLinearGradient side(body.left(), 0, body.right(), 0);
    side.setColorAt(0, base.darker(130));
    side.setColorAt(0.35, base.lighter(125));
    side.setColorAt(1, base.darker(150));
    QPainterPath path;
    path.moveTo(body.left(), body.top());
    path.lineTo(body.left(), body.bottom());
    path.arcTo(QRectF(body.left(), body.bottom() - capHeight / 2, body.width(), capHeight), 180, 180);
    path.lineTo(body.right(), body.top());
    path.closeSubpath();
    p.setPen(QPen(base.darker(170), 1.2));
    p.setBrush(side);
    p.drawPath(path);
    QRectF cap(body.left(), body.top() - capHeight / 2, body.width(), capHeight);
    QLinearGradient top(cap.topLeft(), cap.bottomRight());
    top.setColorAt(0, base.lighter(160));
    top.setColorAt(1, base.lighter(110));
    p.setBrush(top);
    p.drawEllipse(cap);
}

void drawDatabase(QPainter& p, const QPointF& origin, qreal width, const QColor& color)
{
    const qreal diskHeight = width * 0.32;
    for (int i = 2; i >= 0; --i)
        drawDisk(p, QRectF(origin.x(), origin.y() + i * diskHeight * 0.95, width, diskHeight), color);
}

void drawSheet(QPainter& p, const QRectF& sheet)
{
    p.setPen(QPen(QColor(70, 90, 115), 1.5));
    p.setBrush(QColor(252, 252, 248));
    p.drawRoundedRect(sheet, 6, 6);
    // The title bar follows the sheet's rounded corners; the outline goes over it again.
    p.save();
    QPainterPath outline;
    outline.addRoundedRect(sheet, 6, 6);
    p.setClipPath(outline);
    p.fillRect(QRectF(sheet.left(), sheet.top(), sheet.width(), 18), QColor(58, 96, 140));
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(sheet, 6, 6);
    p.setPen(Qt::NoPen);
    // Lines of a statement, coloured as an editor colours keywords, names and literals.
    const QColor keyword(40, 80, 170);
    const QColor name(60, 60, 60);
    const QColor literal(170, 70, 40);
    struct Run {
        qreal indent;
        qreal width;
        QColor color;
    };
    const QList<QList<Run>> lines = {
        { { 0, 46, keyword }, { 52, 70, name } },
        { { 14, 38, keyword }, { 58, 90, name } },
        { { 14, 44, keyword }, { 64, 40, name }, { 110, 30, literal } },
        { { 28, 26, keyword }, { 60, 60, name } },
        {},
        { { 0, 34, keyword }, { 40, 20, literal } },
    };
    qreal y = sheet.top() + 32;
    for (const QList<Run>& line : lines) {
        for (const Run& run : line) {
            p.setBrush(run.color);
            p.drawRoundedRect(QRectF(sheet.left() + 14 + run.indent, y, run.width, 6), 3, 3);
        }
        y += 15;
    }
}

void paintPicture(QPainter& p, const QRectF& area, const QString& subtitleText)
{
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    sky.setColorAt(0, QColor(232, 239, 247));
    sky.setColorAt(1, QColor(196, 212, 230));
    p.fillRect(area, sky);

    const qreal scale = std::min(area.width() / canvasWidth, area.height() / canvasHeight);
    p.save();
    p.translate(area.left() + (area.width() - canvasWidth * scale) / 2,
        area.top() + (area.height() - canvasHeight * scale) / 2);
    p.scale(scale, scale);

    QRadialGradient glow(QPointF(190, 150), 170);
    glow.setColorAt(0, QColor(255, 255, 255, 170));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(190, 150), 170, 170);

    // Links between the servers and the worksheet.
    QPen link(QColor(90, 120, 160, 160), 2.5, Qt::DashLine, Qt::RoundCap);
    p.setPen(link);
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(150, 110), QPointF(205, 110));
    p.drawLine(QPointF(150, 205), QPointF(205, 205));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 120, 160));
    for (const QPointF& dot : { QPointF(205, 110), QPointF(205, 205) })
        p.drawEllipse(dot, 4, 4);

    drawDatabase(p, QPointF(60, 60), 90, QColor(48, 132, 150));
    drawDatabase(p, QPointF(60, 170), 90, QColor(176, 120, 52));
    drawSheet(p, QRectF(210, 70, 170, 160));

    p.setPen(QColor(36, 58, 92));
    QFont title = p.font();
    title.setFamily(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(54);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRectF(420, 80, 330, 70), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Dremmox"));
    QFont subtitle = title;
    subtitle.setPixelSize(17);
    subtitle.setBold(false);
    p.setFont(subtitle);
    p.setPen(QColor(60, 82, 112));
    p.drawText(QRectF(424, 150, 330, 60), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, subtitleText);
    p.setPen(QPen(QColor(36, 58, 92, 120), 2));
    p.drawLine(QPointF(424, 146), QPointF(700, 146));
    p.restore();
}

QPen glyphPen(const QColor& color, qreal width = 1.6)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void drawPage(QPainter& p, const QRectF& r)
{
    p.setPen(glyphPen(QColor(70, 80, 95)));
    p.setBrush(QColor(250, 250, 246));
    p.drawRoundedRect(r, 1.5, 1.5);
}

void drawGrid(QPainter& p, const QRectF& r, const QColor& header)
{
    p.setPen(glyphPen(QColor(70, 80, 95), 1.2));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.fillRect(QRectF(r.left(), r.top(), r.width(), r.height() / 4), header);
    for (int i = 1; i < 4; ++i)
        p.drawLine(QPointF(r.left(), r.top() + r.height() * i / 4), QPointF(r.right(), r.top() + r.height() * i / 4));
    p.drawLine(QPointF(r.left() + r.width() / 2, r.top()), QPointF(r.left() + r.width() / 2, r.bottom()));
}

void paintGlyph(QPainter& p, const QString& name)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QColor blue(48, 96, 160);
    const QColor teal(40, 130, 140);
    const QColor red(190, 50, 40);
    const QColor green(50, 140, 60);
    if (name == QLatin1String("tbConnect")) {
        drawDisk(p, QRectF(5, 7, 14, 11), teal);
        p.setPen(Qt::NoPen);
        p.setBrush(green);
        p.drawEllipse(QPointF(18, 18), 4, 4);
    } else if (name == QLatin1String("tbWorkSheet")) {
        drawGrid(p, QRectF(3, 4, 18, 16), blue);
    } else if (name == QLatin1String("tbMasterDetail")) {
        drawGrid(p, QRectF(2, 2, 13, 10), blue);
        drawGrid(p, QRectF(9, 12, 13, 10), teal);
    } else if (name == QLatin1String("tbWSPart")) {
        drawPage(p, QRectF(4, 2, 15, 20));
        p.setPen(glyphPen(blue, 1.4));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(7, 7 + i * 4), QPointF(i % 2 ? 13 : 16, 7 + i * 4));
    } else if (name == QLatin1String("tbEditPL")) {
        drawPage(p, QRectF(3, 2, 14, 19));
        p.setPen(glyphPen(QColor(200, 140, 30), 3));
        p.drawLine(QPointF(10, 18), QPointF(20, 6));
        p.setPen(glyphPen(QColor(60, 60, 60), 1.2));
        p.drawLine(QPointF(9, 20), QPointF(10, 18));
    } else if (name == QLatin1String("tbOpenProject")) {
        p.setPen(glyphPen(QColor(70, 80, 95)));
        p.setBrush(QColor(250, 215, 110));
        QPainterPath tag;
        tag.moveTo(3, 8);
        tag.lineTo(11, 3);
        tag.lineTo(21, 3);
        tag.lineTo(21, 20);
        tag.lineTo(11, 20);
        tag.closeSubpath();
        p.drawPath(tag);
        p.setPen(glyphPen(blue, 2));
        p.drawLine(QPointF(12, 8), QPointF(15, 16));
        p.drawLine(QPointF(15, 16), QPointF(18, 8));
    } else if (name == QLatin1String("tbExecScript")) {
        drawPage(p, QRectF(2, 2, 14, 19));
        p.setPen(Qt::NoPen);
        p.setBrush(green);
        p.drawPolygon(QPolygonF({ QPointF(11, 9), QPointF(22, 15), QPointF(11, 21) }));
    } else if (name == QLatin1String("tbErrors")) {
        p.setPen(Qt::NoPen);
        p.setBrush(red);
        p.drawEllipse(QPointF(12, 12), 9, 9);
        p.setPen(glyphPen(Qt::white, 2.6));
        p.drawLine(QPointF(12, 7), QPointF(12, 13));
        p.drawPoint(QPointF(12, 17));
    } else if (name == QLatin1String("tbStructures")) {
        drawGrid(p, QRectF(3, 3, 18, 18), teal);
        p.setPen(glyphPen(QColor(70, 80, 95), 1.2));
    } else if (name == QLatin1String("tbPLBlocks")) {
        p.setPen(glyphPen(blue, 2));
        QFont f = p.font();
        f.setPixelSize(17);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, QStringLiteral("{ }"));
    } else if (name == QLatin1String("tbMin")) {
        p.setPen(glyphPen(QColor(70, 80, 95), 2));
        p.drawLine(QPointF(5, 9), QPointF(12, 3));
        p.drawLine(QPointF(12, 3), QPointF(19, 9));
        p.drawLine(QPointF(5, 15), QPointF(12, 21));
        p.drawLine(QPointF(12, 21), QPointF(19, 15));
    } else if (name == QLatin1String("tbOkna")) {
        for (const QPointF& at : { QPointF(2, 3), QPointF(8, 9) }) {
            p.setPen(glyphPen(QColor(70, 80, 95), 1.2));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(at, QSizeF(14, 11)));
            p.fillRect(QRectF(at, QSizeF(14, 3)), blue);
        }
    } else if (name == QLatin1String("ToolButton4")) {
        p.setPen(glyphPen(QColor(90, 95, 105), 3.2));
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(12, 12);
            p.rotate(i * 45);
            p.drawLine(QPointF(0, 6), QPointF(0, 9.5));
            p.restore();
        }
        p.setPen(glyphPen(QColor(90, 95, 105), 2.4));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(12, 12), 5.5, 5.5);
    } else if (name == QLatin1String("tbExit")) {
        p.setPen(glyphPen(QColor(70, 80, 95), 1.6));
        p.setBrush(QColor(225, 205, 170));
        p.drawRect(QRectF(3, 3, 11, 18));
        p.setPen(glyphPen(red, 2.4));
        p.drawLine(QPointF(10, 12), QPointF(21, 12));
        p.drawLine(QPointF(17, 8), QPointF(21, 12));
        p.drawLine(QPointF(17, 16), QPointF(21, 12));
    } else {
        p.setPen(glyphPen(QColor(70, 80, 95)));
        p.setBrush(QColor(220, 225, 232));
        p.drawRoundedRect(QRectF(4, 4, 16, 16), 3, 3);
    }
}

} // namespace

MainPicture::MainPicture(QWidget* parent)
    : QWidget(parent)
{
    setMinimumSize(40, 20);
}

QString MainPicture::subtitle(const QString& currLanguage)
{
    return currLanguage == QLatin1String("SLO") ? QStringLiteral("SQL, PL/SQL in nameščanje\nza baze Quandrel")
                                                : QStringLiteral("SQL, PL/SQL and deployment\nfor Quandrel databases");
}

void MainPicture::setLanguage(const QString& currLanguage)
{
    text = subtitle(currLanguage);
    update();
}

QPixmap MainPicture::render(const QSize& size, const QString& subtitleText)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    paintPicture(p, QRectF(QPointF(0, 0), QSizeF(size)), subtitleText);
    return pixmap;
}

void MainPicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    paintPicture(p, QRectF(rect()), text);
}

QIcon toolButtonIcon(const QString& buttonName)
{
    QIcon icon;
    for (const int size : { 24, 48 }) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.scale(size / 24.0, size / 24.0);
        paintGlyph(p, buttonName);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace shell
