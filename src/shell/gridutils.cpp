#include "shell/gridutils.h"

#include "db/dataset.h"
#include "db/oracleerror.h"
#include "shell/themedgrid.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMessageBox>
#include <QPainter>

#include <algorithm>
#include <exception>
#include <vector>

namespace shell {

namespace {
constexpr int kScannedRecords = 100;
}

int GridTextWidth(const QFont& font, const QString& text)
{
    return QFontMetrics(font).horizontalAdvance(text);
}

void DrawNullCell(QPainter* painter, const QRect& rect, Qt::Alignment alignment, bool isNull, const QFont& font)
{
    if (!isNull)
        return;
    static const QString text = QStringLiteral("null");
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(text);
    int x = rect.left() + 2;
    if (alignment & Qt::AlignRight)
        x = rect.right() - width - 3;
    else if (alignment & Qt::AlignHCenter)
        x = (rect.left() + rect.right() - width) / 2;
    const int y = (rect.top() + rect.bottom() - fm.height()) / 2;
    painter->save();
    painter->setClipRect(rect);
    painter->setFont(font);
    painter->setPen(QColor(192, 192, 192));
    painter->drawText(QRect(x, y, width + 1, fm.height()), Qt::AlignLeft | Qt::AlignTop, text);
    painter->restore();
}

QString adjustGridColumnsMessage(const QString& errorClass, const QString& message)
{
    if (message.contains(QLatin1String("Multiple-step operation generated errors. Check each status value")))
        return {};
    return QStringLiteral("NAPAKA AdjustGridColumns: ") + errorClass + QStringLiteral(": ") + message;
}

void AdjustGridColumns(TThemedDBGrid* grid, int titleMode, int maxPercent)
{
    if (!grid || !grid->dataSet() || !grid->dataSet()->active())
        return;
    db::DataSet* ds = grid->dataSet();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString failure;
    try {
        const int fields = ds->fieldCount();
        const QFont titleFont = grid->horizontalHeader()->font();
        const QFont cellFont = grid->font();
        std::vector<int> widths(static_cast<size_t>(fields));
        for (int f = 0; f < fields; ++f)
            widths[size_t(f)] = titleMode > 0 ? GridTextWidth(titleFont, ds->displayLabel(f)) + 6 : titleMode;
        // The first records are read by row, so the current record never moves and the grid does not repaint.
        if (ds->recordCount() < kScannedRecords && !ds->allFetched())
            ds->fetchMore(kScannedRecords - ds->recordCount());
        const int records = std::min(ds->recordCount(), kScannedRecords);
        for (int r = 0; r < records; ++r) {
            for (int f = 0; f < fields; ++f) {
                const QString text = ds->value(r, f).isNull() ? QStringLiteral("null") : ds->displayText(r, f);
                widths[size_t(f)] = std::max(widths[size_t(f)], GridTextWidth(cellFont, text) + 6);
            }
        }
        const int gridWidth = grid->width();
        for (int f = 0; f < fields; ++f) {
            int w = widths[size_t(f)];
            if (maxPercent > 0)
                w = std::min(w, gridWidth * maxPercent / 100);
            if (!grid->isColumnHidden(f))
                grid->setColumnWidth(f, w);
        }
    } catch (const db::OracleError& e) {
        failure = adjustGridColumnsMessage(QStringLiteral("EOracleError"), e.message());
    } catch (const std::exception& e) {
        failure = adjustGridColumnsMessage(QStringLiteral("Exception"), QString::fromUtf8(e.what()));
    }
    QApplication::restoreOverrideCursor();
    if (!failure.isEmpty()) {
        QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(), failure, QMessageBox::Ok, grid);
        box.setObjectName(QStringLiteral("AdjustGridColumnsError"));
        box.exec();
    }
}

} // namespace shell
