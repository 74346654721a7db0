#include "shell/themedgrid.h"

#include "db/dataset.h"
#include "db/datasetmodel.h"
#include "db/oracleerror.h"
#include "shell/gridutils.h"
#include "shell/gridwheel.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <QWheelEvent>

#include <cstdlib>

// The column titles: the desktop's header look, marked hot under the mouse and sunken while held down.
class ThemedTitleHeader : public QHeaderView {
public:
    explicit ThemedTitleHeader(TThemedDBGrid* grid)
        : QHeaderView(Qt::Horizontal, grid)
        , grid(grid)
    {
        setObjectName(QStringLiteral("titles"));
        setSectionsClickable(true);
        setHighlightSections(false);
        setMouseTracking(true);
        setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        setMinimumSectionSize(4); // fitted columns may be narrower than the style's default minimum
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        if (!rect.isValid())
            return;
        if (!grid->themed) {
            QHeaderView::paintSection(painter, rect, logicalIndex);
            return;
        }
        const TPaintInfo& info = grid->FPaintInfo;
        const int col = grid->gridColumn(logicalIndex);
        const bool pressed = info.ColPressed && info.ColPressedIdx == col;
        QStyleOptionHeader opt;
        initStyleOption(&opt);
        opt.rect = rect;
        opt.section = logicalIndex;
        opt.state |= QStyle::State_Raised;
        if (isEnabled())
            opt.state |= QStyle::State_Enabled;
        QRect textRect = rect;
        if (pressed && grid->FAllowTitleClick) {
            opt.state |= QStyle::State_Sunken;
            textRect = rect.adjusted(1, -1, -1, 1);
        } else if (info.MouseInCol == col) {
            opt.state |= QStyle::State_MouseOver;
        }
        painter->save();
        style()->drawControl(QStyle::CE_HeaderSection, &opt, painter, this);
        const QString caption = model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString();
        const QFontMetrics fm(font());
        const int width = fm.horizontalAdvance(caption);
        const auto align = Qt::Alignment(
            model() ? model()->headerData(logicalIndex, Qt::Horizontal, Qt::TextAlignmentRole).toInt() : 0);
        int x = textRect.left() + 2;
        if (align & Qt::AlignRight)
            x = textRect.right() - width - 2;
        else if (align & Qt::AlignHCenter)
            x = textRect.left() + (textRect.width() - width) / 2;
        const int y = textRect.top() + (textRect.height() - fm.height()) / 2;
        painter->setClipRect(textRect);
        painter->setPen(palette().color(QPalette::ButtonText));
        painter->drawText(QRect(x, y, width + 1, fm.height()), Qt::AlignLeft | Qt::AlignTop, caption);
        painter->restore();
    }

    void mousePressEvent(QMouseEvent* e) override
    {
        const int pos = e->position().toPoint().x();
        const bool onBorder = sectionsClickable() && logicalIndexAt(pos - 3) != logicalIndexAt(pos + 3);
        const int section = logicalIndexAt(pos);
        grid->gridMouseDown(QPoint(section < 0 ? -1 : grid->gridColumn(section), 0), e->button(), onBorder);
        pressPos = e->position().toPoint();
        QHeaderView::mousePressEvent(e);
    }

    void mouseMoveEvent(QMouseEvent* e) override
    {
        TPaintInfo& info = grid->FPaintInfo;
        if (info.ColPressed && sectionsMovable() && (e->buttons() & Qt::LeftButton)
            && (e->position().toPoint() - pressPos).manhattanLength() >= QApplication::startDragDistance())
            info.ColMoving = true;
        const int section = logicalIndexAt(e->position().toPoint().x());
        grid->gridMouseMove(QPoint(section < 0 ? -1 : grid->gridColumn(section), 0));
        QHeaderView::mouseMoveEvent(e);
    }

    void mouseReleaseEvent(QMouseEvent* e) override
    {
        QHeaderView::mouseReleaseEvent(e);
        grid->gridMouseUp();
    }

    void leaveEvent(QEvent* e) override
    {
        grid->gridMouseLeave();
        QHeaderView::leaveEvent(e);
    }

private:
    TThemedDBGrid* grid;
    QPoint pressPos;
};

// The indicator column: the header's background with the current record's mark, or a dot on selected records.
class IndicatorHeader : public QHeaderView {
public:
    explicit IndicatorHeader(TThemedDBGrid* grid)
        : QHeaderView(Qt::Vertical, grid)
        , grid(grid)
    {
        setObjectName(QStringLiteral("indicator"));
        setSectionsClickable(false);
        setHighlightSections(false);
        setSectionResizeMode(QHeaderView::Fixed);
        setFixedWidth(12);
    }

protected:
    QSize sectionSizeFromContents(int) const override { return { 12, defaultSectionSize() }; }

    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        if (!rect.isValid())
            return;
        QStyleOptionHeader opt;
        initStyleOption(&opt);
        opt.rect = rect.adjusted(0, 0, 1, 2);
        opt.state |= QStyle::State_Enabled;
        painter->save();
        style()->drawControl(QStyle::CE_HeaderSection, &opt, painter, this);
        drawIndicator(painter, rect, grid->indicatorFor(logicalIndex));
        painter->restore();
    }

private:
    static void drawIndicator(QPainter* p, const QRect& cell, TThemedDBGrid::Indicator mark)
    {
        using I = TThemedDBGrid::Indicator;
        if (mark == I::None)
            return;
        // The marks are 6 x 11 pixels, centred in the cell.
        int left = cell.left() + (cell.width() - 6) / 2;
        const int top = cell.top() + (cell.height() - 11) / 2;
        if (mark == I::Edit || mark == I::Insert)
            ++left;
        p->setRenderHint(QPainter::Antialiasing, false);
        switch (mark) {
        case I::Arrow: {
            // A right-pointing arrow in white, then in black one pixel to its left, so it stands out on any look.
            auto arrow = [&](int x, int y, const QColor& c) {
                QPainterPath path;
                path.moveTo(x, y);
                path.lineTo(x + 5, y + 5);
                path.lineTo(x, y + 10);
                path.closeSubpath();
                p->fillPath(path, c);
            };
            arrow(left + 1, top, Qt::white);
            arrow(left, top, Qt::black);
            break;
        }
        case I::Edit: // an I-beam
            p->setPen(Qt::black);
            p->drawLine(left + 1, top, left + 5, top);
            p->drawLine(left + 3, top, left + 3, top + 10);
            p->drawLine(left + 1, top + 10, left + 5, top + 10);
            break;
        case I::Insert: // an asterisk
            p->setPen(Qt::black);
            p->drawLine(left + 3, top + 2, left + 3, top + 8);
            p->drawLine(left, top + 5, left + 6, top + 5);
            p->drawLine(left + 1, top + 3, left + 5, top + 7);
            p->drawLine(left + 1, top + 7, left + 5, top + 3);
            break;
        case I::MultiDot:
            p->setBrush(Qt::black);
            p->setPen(Qt::NoPen);
            p->drawRect(left + 2, top + 4, 3, 3);
            break;
        case I::None:
            break;
        }
    }

    TThemedDBGrid* grid;
};

namespace {

// Cells as a data grid draws them: the text 2 pixels in from the cell's edge, clipped rather than shortened with
// an ellipsis, and optionally "null" written into the cells of null fields.
class GridCellDelegate : public QStyledItemDelegate {
public:
    GridCellDelegate(bool drawNull, QObject* parent)
        : QStyledItemDelegate(parent)
        , drawNull(drawNull)
    {
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        const auto align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
        if (!text.isEmpty()) {
            const QFontMetrics fm(opt.font);
            const int width = fm.horizontalAdvance(text);
            int x = opt.rect.left() + 2;
            if (align & Qt::AlignRight)
                x = opt.rect.right() - width - 2;
            else if (align & Qt::AlignHCenter)
                x = opt.rect.left() + (opt.rect.width() - width) / 2;
            const int y = opt.rect.top() + (opt.rect.height() - fm.height()) / 2;
            painter->save();
            painter->setClipRect(opt.rect);
            painter->setFont(opt.font);
            const bool selected = opt.state & QStyle::State_Selected;
            painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
            painter->drawText(QRect(x, y, width + 1, fm.height()), Qt::AlignLeft | Qt::AlignTop, text);
            painter->restore();
        }
        if (drawNull)
            shell::DrawNullCell(painter, opt.rect, align, index.data(db::DataSetModel::NullRole).toBool(), opt.font);
    }

private:
    bool drawNull;
};

} // namespace

TThemedDBGrid::TThemedDBGrid(QWidget* parent)
    : QTableView(parent)
{
    titles = new ThemedTitleHeader(this);
    indicator = new IndicatorHeader(this);
    setHorizontalHeader(titles);
    setVerticalHeader(indicator);
    dsModel = new db::DataSetModel(this);
    setModel(dsModel);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFocusPolicy(Qt::WheelFocus);
    setMouseTracking(true);
    setWordWrap(false);
    setItemDelegate(new GridCellDelegate(false, this));
    indicator->setDefaultSectionSize(fontMetrics().height() + 6);
    connect(titles, &QHeaderView::sectionResized, this, [this] { columnsResized(); });
    // A changed record (an edit posted, a record refreshed) may hold a longer text than its column shows.
    connect(dsModel, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& from, const QModelIndex& to) {
        for (int row = from.row(); row <= to.row() && row >= 0; ++row)
            fitColumnsToRecord(row);
    });
    connect(titles, &QHeaderView::sectionMoved, this, [this] {
        FPaintInfo.ColMoving = false;
        viewport()->update();
        titles->viewport()->update();
    });
    connect(titles, &QHeaderView::sectionClicked, this, [this](int logical) {
        emit titleClick(logical);
        if (FAllowTitleClick) {
            FPaintInfo.ColPressed = false;
            FPaintInfo.ColPressedIdx = -1;
            repaintCell(FCell);
        }
    });
}

TThemedDBGrid::~TThemedDBGrid() = default;

void TThemedDBGrid::setDataSet(db::DataSet* dataSet)
{
    if (ds)
        disconnect(ds, nullptr, this, nullptr);
    ds = dataSet;
    dsModel->setDataSet(dataSet);
    columnWidths.clear();
    followDataSet();
    if (!ds)
        return;
    connect(ds, &db::DataSet::currentChanged, this, [this] { followDataSet(); });
    connect(ds, &db::DataSet::stateChanged, this, [this] { indicator->viewport()->update(); });
    connect(ds, &db::DataSet::reset, this, [this] { followDataSet(); });
}

void TThemedDBGrid::followDataSet()
{
    indicator->viewport()->update();
    if (!ds || !ds->active() || ds->currentRow() < 0 || ds->currentRow() >= dsModel->rowCount())
        return;
    const int row = ds->currentRow();
    const int col = qMax(0, currentIndex().column());
    if (currentIndex().row() == row)
        return;
    syncing = true;
    selectionModel()->setCurrentIndex(
        dsModel->index(row, col), multiSelect() ? QItemSelectionModel::NoUpdate : QItemSelectionModel::ClearAndSelect);
    syncing = false;
    scrollTo(dsModel->index(row, col));
}

void TThemedDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (previous.isValid() && current.column() != previous.column())
        ColExit();
    if (syncing || !ds || !ds->active() || !current.isValid() || current.row() == ds->currentRow())
        return;
    try {
        ds->setRecNo(current.row() + 1);
    } catch (const db::OracleError&) {
        // The record could not be left (its change was refused): the grid stays on it.
        followDataSet();
    }
    indicator->viewport()->update();
}

void TThemedDBGrid::ColExit()
{
    FPaintInfo.MouseInCol = -1;
    repaintCell(FCell);
}

void TThemedDBGrid::fitColumnsToRecord(int row)
{
    if (!ds || !ds->active() || row < 0 || row >= ds->recordCount())
        return;
    const int limit = qMax(viewport()->width() - 4, 20);
    for (int c = 0; c < ds->fieldCount() && c < dsModel->columnCount(); ++c) {
        if (isColumnHidden(c))
            continue;
        const QString text = ds->value(row, c).isNull() ? QStringLiteral("null") : ds->displayText(row, c);
        const int wanted = qMin(shell::GridTextWidth(font(), text) + 6, limit);
        if (wanted > columnWidth(c))
            setColumnWidth(c, wanted);
    }
}

void TThemedDBGrid::setShowIndicator(bool on)
{
    indicator->setVisible(on);
}

bool TThemedDBGrid::showIndicator() const
{
    return !indicator->isHidden();
}

void TThemedDBGrid::setShowTitles(bool on)
{
    titles->setVisible(on);
}

bool TThemedDBGrid::showTitles() const
{
    return !titles->isHidden();
}

void TThemedDBGrid::setMultiSelect(bool on)
{
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, indicator->viewport(),
        qOverload<>(&QWidget::update), Qt::UniqueConnection);
}

bool TThemedDBGrid::multiSelect() const
{
    return selectionMode() == QAbstractItemView::ExtendedSelection;
}

void TThemedDBGrid::setDrawNullCells(bool on)
{
    QAbstractItemDelegate* old = itemDelegate();
    setItemDelegate(new GridCellDelegate(on, this));
    delete old;
}

int TThemedDBGrid::indicatorOffset() const
{
    return showIndicator() ? 1 : 0;
}

int TThemedDBGrid::titleOffset() const
{
    return showTitles() ? 1 : 0;
}

int TThemedDBGrid::gridColumn(int dataColumn) const
{
    return dataColumn + indicatorOffset();
}

int TThemedDBGrid::dataColumn(int gridColumn) const
{
    return gridColumn - indicatorOffset();
}

TThemedDBGrid::Indicator TThemedDBGrid::indicatorFor(int row) const
{
    if (!ds || !ds->active() || row < 0)
        return Indicator::None;
    if (row == ds->currentRow()) {
        switch (ds->state()) {
        case db::DataSet::State::Edit:
            return Indicator::Edit;
        case db::DataSet::State::Insert:
            return Indicator::Insert;
        default:
            return Indicator::Arrow;
        }
    }
    if (multiSelect() && selectionModel() && selectionModel()->isRowSelected(row, {}))
        return Indicator::MultiDot;
    return Indicator::None;
}

int TThemedDBGrid::visibleRowCount() const
{
    const int rowHeight = qMax(1, indicator->defaultSectionSize());
    return qMax(1, viewport()->height() / rowHeight);
}

bool TThemedDBGrid::wheelNotch(bool down, Qt::KeyboardModifiers modifiers)
{
    bool handled = false;
    if (down)
        emit mouseWheelDown(modifiers, &handled);
    else
        emit mouseWheelUp(modifiers, &handled);
    if (handled)
        return true;
    if (!isEnabled() || focusPolicy() == Qt::NoFocus)
        return false;
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    if (!ds || !ds->active())
        return false;
    const int step = shell::wheelStep(down, modifiers, visibleRowCount());
    try {
        return ds->moveBy(down ? step : -step) != 0;
    } catch (const db::OracleError&) {
        return false;
    }
}

void TThemedDBGrid::wheelEvent(QWheelEvent* event)
{
    if (!themed) {
        QTableView::wheelEvent(event);
        return;
    }
    event->accept();
    wheelRemainder += event->angleDelta().y();
    const int notches = wheelRemainder / 120;
    wheelRemainder -= notches * 120;
    if (notches == 0)
        return;
    if (ds && ds->active() && ds->state() != db::DataSet::State::Browse
        && ds->state() != db::DataSet::State::QueryByExample) {
        // An edit nobody typed into is dropped before moving; typed values are never lost to a wheel turn.
        if (ds->editModified())
            return;
        ds->cancel();
    }
    for (int i = 0; i < std::abs(notches); ++i)
        wheelNotch(notches < 0, event->modifiers());
}

bool TThemedDBGrid::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        const QModelIndex index = indexAt(e->position().toPoint());
        const QPoint cell = index.isValid() ? QPoint(gridColumn(index.column()), index.row() + titleOffset())
                                            : QPoint(-1, -1);
        gridMouseDown(cell, e->button(), false);
        break;
    }
    case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        const QModelIndex index = indexAt(e->position().toPoint());
        gridMouseMove(index.isValid() ? QPoint(gridColumn(index.column()), index.row() + titleOffset())
                                      : QPoint(-1, -1));
        break;
    }
    case QEvent::MouseButtonRelease: {
        const bool result = QTableView::viewportEvent(event);
        gridMouseUp();
        return result;
    }
    case QEvent::Leave:
        gridMouseLeave();
        break;
    default:
        break;
    }
    return QTableView::viewportEvent(event);
}

void TThemedDBGrid::repaintCell(QPoint cell)
{
    if (cell.x() < 0 || cell.y() < 0)
        return;
    if (cell.y() < titleOffset()) {
        const int section = dataColumn(cell.x());
        if (section >= 0)
            titles->viewport()->update(QRect(titles->sectionViewportPosition(section), 0, titles->sectionSize(section), titles->height()));
        return;
    }
    const QModelIndex index = dsModel->index(cell.y() - titleOffset(), dataColumn(cell.x()));
    if (index.isValid())
        viewport()->update(visualRect(index));
}

void TThemedDBGrid::gridMouseDown(QPoint cell, Qt::MouseButton button, bool onBorder)
{
    FPaintInfo.ColSizing = onBorder;
    if (onBorder)
        return;
    FPaintInfo.ColPressedIdx = -1;
    FPaintInfo.ColPressed = false;
    if (FAllowTitleClick)
        FPaintInfo.MouseInCol = -1;
    if (button == Qt::LeftButton && cell.x() >= indicatorOffset() && cell.y() >= 0 && FAllowTitleClick) {
        FPaintInfo.ColPressed = cell.y() < titleOffset();
        if (FPaintInfo.ColPressed)
            FPaintInfo.ColPressedIdx = cell.x();
        repaintCell(FCell);
        FCell = cell;
        repaintCell(FCell);
    }
}

void TThemedDBGrid::gridMouseMove(QPoint cell)
{
    if (FPaintInfo.ColSizing || FPaintInfo.ColMoving)
        return;
    FPaintInfo.MouseInCol = -1;
    if (cell == FCell)
        return;
    if (cell.y() >= 0 && cell.y() < titleOffset() && cell.x() >= indicatorOffset()
        && cell.x() != FPaintInfo.MouseInCol) {
        FPaintInfo.MouseInCol = cell.x();
        repaintCell(cell);
    }
    repaintCell(FCell);
    FCell = cell;
}

void TThemedDBGrid::gridMouseUp()
{
    FPaintInfo.ColSizing = false;
    FPaintInfo.ColMoving = false;
    FPaintInfo.ColPressedIdx = -1;
    FPaintInfo.ColPressed = false;
    FCell = QPoint(-1, -1);
    viewport()->update();
    titles->viewport()->update();
}

void TThemedDBGrid::gridMouseLeave()
{
    repaintCell(FCell);
    FCell = QPoint(-1, -1);
    FPaintInfo.MouseInCol = -1;
    FPaintInfo.ColPressedIdx = -1;
    titles->viewport()->update();
}

void TThemedDBGrid::columnsResized()
{
    const int n = dsModel->columnCount();
    columnWidths.resize(size_t(qMax(0, n)), 0);
    for (int c = 0; c < n; ++c)
        columnWidths[size_t(c)] = columnWidth(c);
}

namespace shell {

namespace {
bool themedInstalled = false;
}

void installThemedGrid()
{
    themedInstalled = true;
}

void removeThemedGrid()
{
    themedInstalled = false;
}

bool themedGridInstalled()
{
    return themedInstalled;
}

QTableView* createDataGrid(const QString& className, QWidget* parent)
{
    if (className == QLatin1String("TThemedDBGrid"))
        return new TThemedDBGrid(parent);
    if (className == QLatin1String("TDBGrid")) {
        auto* grid = new TThemedDBGrid(parent);
        grid->setThemedLook(themedInstalled);
        return grid;
    }
    return nullptr;
}

} // namespace shell
