// The script as an icon that drags as a file: a copy staged in a private
// folder is offered as text/uri-list with the copy action only, which
// Nautilus, Nemo and the other file managers take as a file drop.
#pragma once

#include <QLabel>
#include <QPoint>
#include <QString>

#include <string>

namespace quillet::helper {

class DragDropImageView final : public QLabel {
    Q_OBJECT
public:
    explicit DragDropImageView(QWidget* parent = nullptr);
    ~DragDropImageView() override;

    void setPath(const QString& path) { path_ = path; }
    const QString& path() const { return path_; }
    void setAllowDrag(bool allow) { allowDrag_ = allow; }

signals:
    // A drag ended with the target accepting the copy.
    void dragFinished();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void startDrag();
    // A fresh executable copy of the script under its own name in a private
    // folder, so that no target can move the shipped file away and no other
    // user can swap it.
    QString stagedCopy();
    void removeStaging();

    QString path_;
    std::string stagingFolder_;
    bool allowDrag_ = true;
    QPoint pressPosition_;
    bool pressed_ = false;
};

} // namespace quillet::helper
