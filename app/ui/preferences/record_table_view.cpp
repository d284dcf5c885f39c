#include "record_table_view.h"

#include "item_view_accessible.h"

#include "platform/linux/qt/palette_contrast.h"

#include <QCoreApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

namespace quillet::app {

RecordTableView::RecordTableView(QWidget* parent) : QTableView(parent) {
    installItemViewAccessible();
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropOverwriteMode(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::SelectedClicked);
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    platform::qt::frameEmptyCheckBoxes(this);
}

std::set<std::size_t> RecordTableView::selectedRows() const {
    std::set<std::size_t> rows;
    if (selectionModel() != nullptr) {
        for (const QModelIndex& index : selectionModel()->selectedRows()) {
            rows.insert(static_cast<std::size_t>(index.row()));
        }
    }
    return rows;
}

void RecordTableView::selectRows(std::size_t first, std::size_t count) {
    if (model() == nullptr || selectionModel() == nullptr) {
        return;
    }
    QItemSelection selection;
    if (count > 0) {
        selection.select(model()->index(int(first), 0),
                         model()->index(int(first + count - 1), model()->columnCount() - 1));
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (count > 0) {
        selectionModel()->setCurrentIndex(model()->index(int(first), currentIndex().column()),
                                          QItemSelectionModel::NoUpdate);
    }
}

std::size_t RecordTableView::dropRowAt(const QPoint& position) const {
    const int count = model() != nullptr ? model()->rowCount() : 0;
    const QModelIndex index = indexAt(position);
    if (!index.isValid()) {
        return static_cast<std::size_t>(count);
    }
    const QRect rect = visualRect(index);
    // The lower half of a row is the gap below it.
    return static_cast<std::size_t>(position.y() >= rect.center().y() ? index.row() + 1
                                                                      : index.row());
}

QByteArray RecordTableView::ownerLine() const {
    return QByteArray::number(QCoreApplication::applicationPid()) + ':' +
           QByteArray::number(reinterpret_cast<quintptr>(this), 16);
}

QByteArray RecordTableView::rowDragData(const std::set<std::size_t>& rows) const {
    QByteArray lines = ownerLine() + '\n';
    for (std::size_t row : rows) {
        lines += QByteArray::number(qulonglong(row)) + '\n';
    }
    return lines;
}

bool RecordTableView::isRowDrag(const QDropEvent* event) const {
    const QMimeData* mime = event->mimeData();
    return mime->hasFormat(kRowMimeType) &&
           mime->data(kRowMimeType).split('\n').value(0) == ownerLine();
}

void RecordTableView::startDrag(Qt::DropActions) {
    const std::set<std::size_t> rows = selectedRows();
    if (rows.empty()) {
        return;
    }
    auto* mime = new QMimeData;
    mime->setData(kRowMimeType, rowDragData(rows));
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    // The drop itself moves the records; nothing is removed afterwards.
    drag->exec(Qt::MoveAction, Qt::MoveAction);
}

void RecordTableView::offerDrop(QDragMoveEvent* event) const {
    if (isRowDrag(event)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else if (event->mimeData()->hasUrls()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void RecordTableView::dragEnterEvent(QDragEnterEvent* event) {
    offerDrop(event);
}

void RecordTableView::dragMoveEvent(QDragMoveEvent* event) {
    // The base draws the drop indicator between rows.
    QTableView::dragMoveEvent(event);
    offerDrop(event);
}

void RecordTableView::dropEvent(QDropEvent* event) {
    setState(QAbstractItemView::NoState);
    viewport()->update();
    const QMimeData* mime = event->mimeData();
    if (isRowDrag(event)) {
        std::set<std::size_t> rows;
        for (const QByteArray& line : mime->data(kRowMimeType).split('\n').mid(1)) {
            bool ok = false;
            const qulonglong row = line.toULongLong(&ok);
            if (ok) {
                rows.insert(static_cast<std::size_t>(row));
            }
        }
        event->setDropAction(Qt::MoveAction);
        event->accept();
        emit rowsDropped(rows, dropRowAt(event->position().toPoint()));
        return;
    }
    if (!mime->hasUrls()) {
        event->ignore();
        return;
    }
    QStringList paths;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit filesDropped(paths);
}

void RecordTableView::activateCell(const QModelIndex& index) {
    if (currentIndex() != index) {
        setCurrentIndex(index);
    }
    emit cellActivated(index);
}

void RecordTableView::requestContextMenuAtCurrentRow() {
    // Beside the row the keyboard is on, not where the pointer happens to be.
    const QRect row = visualRect(currentIndex());
    emit customContextMenuRequested(row.isValid() ? row.center() : viewport()->rect().center());
}

void RecordTableView::keyPressEvent(QKeyEvent* event) {
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (state() != QAbstractItemView::EditingState) {
        // The desktop's other key for a context menu (the Menu key comes as
        // a context menu event of its own, placed at the current row).
        if (modifiers == Qt::ShiftModifier && event->key() == Qt::Key_F10) {
            requestContextMenuAtCurrentRow();
            event->accept();
            return;
        }
        if (modifiers == Qt::AltModifier &&
            (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
            emit moveStepRequested(event->key() == Qt::Key_Up ? -1 : +1);
            event->accept();
            return;
        }
        if (modifiers == Qt::NoModifier &&
            (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace)) {
            emit removeRequested();
            event->accept();
            return;
        }
        if (modifiers == Qt::NoModifier &&
            (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
            currentIndex().isValid()) {
            activateCell(currentIndex());
            event->accept();
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

} // namespace quillet::app
