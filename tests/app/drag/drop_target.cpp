// A drop target for the drag tests, in two kinds:
//   drop_target xds FOLDER   speaks X Direct Save, as Thunar and Nemo do
//   drop_target uris FOLDER  copies the files of a text/uri-list, as Nautilus does
// It prints one line per drop ("S", "E", or the copied names) on standard output.
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr const char* kDirectSave = "XdndDirectSave0";

xcb_connection_t* connection() {
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

xcb_atom_t atom(const char* name) {
    auto cookie = xcb_intern_atom(connection(), 0, static_cast<uint16_t>(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection(), cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

class Target final : public QLabel {
public:
    Target(bool directSave, QString folder)
        : QLabel(directSave ? "X Direct Save target" : "File list target"), directSave_(directSave),
          folder_(std::move(folder)) {
        setAcceptDrops(true);
        setAlignment(Qt::AlignCenter);
        setWindowTitle(directSave ? "xds drop target" : "uris drop target");
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override {
        if (directSave_ ? event->mimeData()->hasFormat(kDirectSave)
                        : event->mimeData()->hasUrls()) {
            event->setDropAction(Qt::CopyAction);
            event->accept();
        }
    }
    void dragMoveEvent(QDragMoveEvent* event) override {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
    void dropEvent(QDropEvent* event) override {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        if (directSave_) {
            saveDirectly(event->mimeData());
        } else {
            copyFiles(event->mimeData());
        }
        std::fflush(stdout);
    }

private:
    // The target's half of the protocol: read the proposed name from the
    // source window, write back the URI wanted, and ask for the result.
    void saveDirectly(const QMimeData* mime) {
        auto ownerCookie = xcb_get_selection_owner(connection(), atom("XdndSelection"));
        std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
            xcb_get_selection_owner_reply(connection(), ownerCookie, nullptr), &std::free);
        if (!owner || owner->owner == XCB_WINDOW_NONE) {
            std::printf("no source window\n");
            return;
        }
        auto cookie = xcb_get_property(connection(), 0, owner->owner, atom(kDirectSave),
                                       XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
            xcb_get_property_reply(connection(), cookie, nullptr), &std::free);
        if (!reply || xcb_get_property_value_length(reply.get()) == 0) {
            std::printf("no name\n");
            return;
        }
        const QString name =
            QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply.get())),
                              xcb_get_property_value_length(reply.get()));
        const QByteArray uri = QUrl::fromLocalFile(QDir(folder_).filePath(name)).toEncoded();
        xcb_change_property(connection(), XCB_PROP_MODE_REPLACE, owner->owner, atom(kDirectSave),
                            atom("text/plain"), 8, static_cast<uint32_t>(uri.size()), uri.data());
        xcb_flush(connection());
        std::printf("%s\n", mime->data(kDirectSave).constData());
    }

    void copyFiles(const QMimeData* mime) {
        QStringList names;
        for (const QUrl& url : mime->urls()) {
            const QFileInfo source(url.toLocalFile());
            if (QFile::copy(source.filePath(), QDir(folder_).filePath(source.fileName()))) {
                names << source.fileName();
            }
        }
        std::printf("%s\n", names.join(' ').toUtf8().constData());
    }

    bool directSave_;
    QString folder_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "usage: drop_target xds|uris FOLDER X Y\n");
        return 2;
    }
    Target target(std::strcmp(argv[1], "xds") == 0, QString::fromLocal8Bit(argv[2]));
    target.setGeometry(std::atoi(argv[3]), std::atoi(argv[4]), 300, 300);
    target.show();
    return QApplication::exec();
}
