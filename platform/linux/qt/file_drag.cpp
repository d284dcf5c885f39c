#include "file_drag.h"

#include "shared/file_uri.h"

#include <QAbstractNativeEventFilter>
#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QSysInfo>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace quillet::platform::qt {

namespace {

constexpr const char* kDirectSave = "XdndDirectSave0";
constexpr const char* kUriList = "text/uri-list";
constexpr uint32_t kMaxUriLength = 64 * 1024;
// A GTK 4 target reads the file list once the drop has been sent, which is
// after the drag has ended for Qt.
constexpr std::chrono::seconds kAnswerAfterDrop{10};

xcb_connection_t* xcbConnection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The window that owns the drag selection: the source window of the drag,
// the one the target reads the name from and writes the URI to.
xcb_window_t dragSourceWindow(xcb_connection_t* connection) {
    auto cookie = xcb_get_selection_owner(connection, atom(connection, "XdndSelection"));
    std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> reply(
        xcb_get_selection_owner_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
}

class DirectSaveMimeData final : public QMimeData {
public:
    explicit DirectSaveMimeData(FileDragOffer offer) : offer_(std::move(offer)) {
        if (!offer_.stagedFiles.empty()) {
            QList<QUrl> urls;
            for (const auto& path : offer_.stagedFiles) {
                urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
            }
            setUrls(urls);
        }
        for (const auto& [format, bytes] : offer_.extraFormats) {
            setData(QString::fromStdString(format), QByteArray::fromStdString(bytes));
        }
    }

    bool speaksDirectSave() const { return offer_.directSaveName.has_value(); }

    // Puts the proposed name on the source window; called once the drag runs.
    void announceName() {
        xcb_connection_t* connection = xcbConnection();
        if (connection == nullptr || !speaksDirectSave()) {
            return;
        }
        window_ = dragSourceWindow(connection);
        if (window_ == XCB_WINDOW_NONE) {
            return;
        }
        const std::string& name = *offer_.directSaveName;
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window_,
                            atom(connection, kDirectSave), atom(connection, "text/plain"), 8,
                            static_cast<uint32_t>(name.size()), name.data());
        xcb_flush(connection);
    }

    ~DirectSaveMimeData() override { withdrawName(); }

    void withdrawName() {
        xcb_connection_t* connection = xcbConnection();
        if (connection != nullptr && window_ != XCB_WINDOW_NONE) {
            xcb_delete_property(connection, window_, atom(connection, kDirectSave));
            xcb_flush(connection);
        }
    }

    QStringList formats() const override {
        QStringList list = QMimeData::formats();
        if (speaksDirectSave()) {
            list.prepend(QString::fromLatin1(kDirectSave));
        }
        return list;
    }

    bool hasFormat(const QString& format) const override { return formats().contains(format); }

protected:
    QVariant retrieveData(const QString& format, QMetaType type) const override {
        if (format != QLatin1String(kDirectSave)) {
            return QMimeData::retrieveData(format, type);
        }
        // The target asks once it has written where the item goes; a repeated
        // question gets the same answer and creates nothing more.
        if (!answer_) {
            answer_ = save() ? QByteArray("S") : QByteArray("E");
        }
        return *answer_;
    }

private:
    bool save() const {
        xcb_connection_t* connection = xcbConnection();
        if (connection == nullptr || window_ == XCB_WINDOW_NONE || !offer_.saveAt) {
            return false;
        }
        auto cookie = xcb_get_property(connection, 0, window_, atom(connection, kDirectSave),
                                       XCB_GET_PROPERTY_TYPE_ANY, 0, kMaxUriLength / 4);
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
            xcb_get_property_reply(connection, cookie, nullptr), &std::free);
        if (!reply || reply->format != 8) {
            return false;
        }
        const std::string uri(static_cast<const char*>(xcb_get_property_value(reply.get())),
                              static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
        auto path = localPathFromFileURI(uri, QSysInfo::machineHostName().toStdString());
        return path && offer_.saveAt(*path);
    }

    FileDragOffer offer_;
    xcb_window_t window_ = XCB_WINDOW_NONE;
    mutable std::optional<QByteArray> answer_;
};

// The file list for GTK 4 targets (Nautilus 43), which ask for the drag
// selection with CurrentTime from a hidden leader window: Qt refuses such
// requests and GTK 4 then waits forever, so they are answered here, while
// the drag owns the selection and for a moment after the drop.
class DragCompanion final : public QObject, public QAbstractNativeEventFilter {
public:
    DragCompanion(const std::vector<std::string>& stagedFiles, xcb_connection_t* connection)
        : connection_(connection) {
        for (const auto& path : stagedFiles) {
            uriList_ += QUrl::fromLocalFile(QString::fromStdString(path)).toEncoded();
            uriList_ += "\r\n";
        }
        selection_ = atom(connection, "XdndSelection");
        uriListAtom_ = atom(connection, kUriList);
        textAtom_ = atom(connection, "text/plain");
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~DragCompanion() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") {
            return false;
        }
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_SELECTION_REQUEST) {
            return false;
        }
        return answer(*reinterpret_cast<const xcb_selection_request_event_t*>(event));
    }

private:
    // Only the requests Qt refuses, and only for the file list.
    bool answer(const xcb_selection_request_event_t& request) {
        if (request.selection != selection_ || request.time != XCB_CURRENT_TIME ||
            (request.target != uriListAtom_ && request.target != textAtom_) || uriList_.isEmpty()) {
            return false;
        }
        const xcb_atom_t property =
            request.property != XCB_ATOM_NONE ? request.property : request.target;
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property,
                            request.target, 8, static_cast<uint32_t>(uriList_.size()),
                            uriList_.constData());
        xcb_selection_notify_event_t notify{};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target; // echoed: GTK 4 checks it
        notify.property = property;
        xcb_send_event(connection_, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&notify));
        xcb_flush(connection_);
        return true;
    }

    xcb_connection_t* connection_;
    QByteArray uriList_;
    xcb_atom_t selection_ = XCB_ATOM_NONE, uriListAtom_ = XCB_ATOM_NONE, textAtom_ = XCB_ATOM_NONE;
};

} // namespace

bool canDirectSave() {
    return QGuiApplication::platformName() == QLatin1String("xcb") && xcbConnection() != nullptr;
}

Qt::DropAction execFileDrag(QWidget* source, const QPixmap& pixmap, FileDragOffer offer) {
    if (!canDirectSave()) {
        offer.directSaveName.reset();
    }
    // One drag at a time: a companion still answering for the last drop
    // would answer with that drag's files.
    static QPointer<DragCompanion> companion;
    delete companion.data();
    if (xcb_connection_t* connection = canDirectSave() ? xcbConnection() : nullptr) {
        companion = new DragCompanion(offer.stagedFiles, connection);
    }
    auto* data = new DirectSaveMimeData(std::move(offer));
    auto* drag = new QDrag(source);
    drag->setMimeData(data);
    if (!pixmap.isNull()) {
        drag->setPixmap(pixmap);
        drag->setHotSpot(QPoint(pixmap.width() / 2, pixmap.height() / 2));
    }
    // The drag selection gets its owner when the drag starts, inside exec().
    QTimer::singleShot(0, data, [data] { data->announceName(); });
    // Copy only: file managers that see several actions may ask or move.
    // Qt keeps the drag (and its data) until the target has fetched what it
    // wanted, which is after exec() returns: it is not ours to delete.
    const Qt::DropAction action = drag->exec(Qt::CopyAction, Qt::CopyAction);
    if (companion) {
        QTimer::singleShot(kAnswerAfterDrop, companion.data(), &QObject::deleteLater);
    }
    return action;
}

} // namespace quillet::platform::qt
