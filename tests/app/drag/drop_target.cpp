// A drop target for the drag tests, in three kinds:
//   drop_target xds FOLDER     speaks X Direct Save, as Thunar and Nemo do
//   drop_target uris FOLDER    copies the files of a text/uri-list
//   drop_target gtk4 FOLDER    reads the file list as GTK 4 (Nautilus 43) does:
//                              with CurrentTime, from a hidden window of its own
// It prints one line per drop ("S", "E", the copied names, or "refused") on
// standard output.
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
#include <poll.h>

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

// The selection's file list as GTK 4 asks for it: from a window that took
// no part in the drag, stamped CurrentTime, on a connection of its own.
QByteArray uriListAsGtk4Asks() {
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> own(xcb_connect(nullptr, nullptr),
                                                                     &xcb_disconnect);
    xcb_connection_t* c = own.get();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t leader = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, leader, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    auto intern = [c](const char* name) {
        auto cookie = xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name);
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(c, cookie, nullptr), &std::free);
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    };
    const xcb_atom_t property = intern("GDK_SELECTION");
    xcb_convert_selection(c, leader, intern("XdndSelection"), intern("text/uri-list"), property,
                          XCB_CURRENT_TIME);
    xcb_flush(c);
    pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
    for (int waited = 0; waited < 30; ++waited) {
        while (auto* event = xcb_poll_for_event(c)) {
            std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> owned(event, &std::free);
            if ((event->response_type & 0x7f) != XCB_SELECTION_NOTIFY) {
                continue;
            }
            const auto* notify = reinterpret_cast<xcb_selection_notify_event_t*>(event);
            if (notify->property == XCB_ATOM_NONE) {
                return {};
            }
            auto cookie = xcb_get_property(c, 1, leader, notify->property,
                                           XCB_GET_PROPERTY_TYPE_ANY, 0, 65536);
            std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
                xcb_get_property_reply(c, cookie, nullptr), &std::free);
            return reply ? QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                                      xcb_get_property_value_length(reply.get()))
                         : QByteArray();
        }
        ::poll(&fd, 1, 100);
    }
    return {}; // no answer at all: GTK 4 would wait forever
}

enum class Kind { DirectSave, UriList, Gtk4 };

class Target final : public QLabel {
public:
    Target(Kind kind, const QString& name, QString folder)
        : QLabel(name + " drop target"), kind_(kind), folder_(std::move(folder)) {
        setAcceptDrops(true);
        setAlignment(Qt::AlignCenter);
        setWindowTitle(name + " drop target");
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override {
        const QMimeData* mime = event->mimeData();
        const bool takes =
            kind_ == Kind::DirectSave ? mime->hasFormat(kDirectSave) : mime->hasUrls();
        if (takes) {
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
        const QMimeData* mime = event->mimeData();
        switch (kind_) {
        case Kind::DirectSave:
            saveDirectly(mime);
            break;
        case Kind::UriList:
            copyFiles(mime->urls());
            break;
        case Kind::Gtk4: {
            const QByteArray list = uriListAsGtk4Asks();
            if (list.isEmpty()) {
                std::printf("refused\n");
                break;
            }
            QList<QUrl> urls;
            for (const QByteArray& line : list.split('\n')) {
                if (!line.trimmed().isEmpty()) {
                    urls << QUrl::fromEncoded(line.trimmed());
                }
            }
            copyFiles(urls);
            break;
        }
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

    void copyFiles(const QList<QUrl>& urls) {
        QStringList names;
        for (const QUrl& url : urls) {
            const QFileInfo source(url.toLocalFile());
            if (QFile::copy(source.filePath(), QDir(folder_).filePath(source.fileName()))) {
                names << source.fileName();
            }
        }
        std::printf("%s\n", names.join(' ').toUtf8().constData());
    }

    Kind kind_;
    QString folder_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "usage: drop_target xds|uris|gtk4 FOLDER X Y\n");
        return 2;
    }
    const QString name = QString::fromLocal8Bit(argv[1]);
    const Kind kind = name == "xds"    ? Kind::DirectSave
                      : name == "gtk4" ? Kind::Gtk4
                                       : Kind::UriList;
    Target target(kind, name, QString::fromLocal8Bit(argv[2]));
    target.setGeometry(std::atoi(argv[3]), std::atoi(argv[4]), 300, 300);
    target.show();
    return QApplication::exec();
}
