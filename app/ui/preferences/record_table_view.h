// The table of both list panes: rows dragged within it are moved (into the
// gap under the pointer), files and folders dropped from any file manager
// are added, Alt+Up/Down moves the selected rows one step, Delete asks to
// remove them. The pane decides what each of these does.
#pragma once

#include <QTableView>

#include <set>

namespace quillet::app {

class RecordTableView final : public QTableView {
    Q_OBJECT
public:
    // The type of a row drag: a line naming the table the rows come from,
    // then the dragged row numbers, one a line.
    static constexpr const char* kRowMimeType = "application/x-quillet-table-rows";
    QByteArray rowDragData(const std::set<std::size_t>& rows) const;

    explicit RecordTableView(QWidget* parent = nullptr);

    // A cell editor is open or rows are being dragged.
    bool isBusy() const { return state() == EditingState || state() == DraggingState; }

    std::set<std::size_t> selectedRows() const;
    // Selects `count` rows from `first`, replacing the selection.
    void selectRows(std::size_t first, std::size_t count);

    // What Return on the cell does: it becomes the current cell, and the
    // pane acts on it.
    void activateCell(const QModelIndex& index);

    // The gap a drop at this point goes into (0 ... row count).
    std::size_t dropRowAt(const QPoint& position) const;

signals:
    void rowsDropped(const std::set<std::size_t>& rows, std::size_t dropRow);
    void filesDropped(const QStringList& paths);
    void moveStepRequested(int direction);
    void removeRequested();
    // Enter on a cell (the panes use it for the shortcut column).
    void cellActivated(const QModelIndex& index);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void requestContextMenuAtCurrentRow();
    // Rows of this very table (not of another window or program).
    bool isRowDrag(const QDropEvent* event) const;
    // Rows of this table move; files from elsewhere are copied in.
    void offerDrop(QDragMoveEvent* event) const;
    QByteArray ownerLine() const;
};

} // namespace quillet::app
