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
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
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

template <typename Reply> using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

Owned<xcb_get_property_reply_t> readProperty(xcb_connection_t* connection, xcb_window_t window,
                                             xcb_atom_t name, xcb_atom_t type, uint32_t longs) {
    return {xcb_get_property_reply(
                connection, xcb_get_property(connection, 0, window, name, type, 0, longs), nullptr),
            &std::free};
}

// Two jobs beside Qt's drag, seen from the events the drag brings in:
// - The file list for GTK 4 targets (Nautilus 43), which ask for the drag
//   selection with CurrentTime from a hidden leader window: Qt refuses such
//   requests and GTK 4 then waits forever, so they are answered here, while
//   the drag owns the selection and for a moment after the drop.
// - The types each target is offered. Qt announces one type list for the
//   whole drag, in a property of the source window that a target reads when
//   the pointer enters it; as the pointer moves onto another window, the
//   property is rewritten for that window's program just before Qt tells it
//   the drag has entered.
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

    // From the moment the drag runs (Qt has written its type list on the
    // source window by then) until it ends: offers each target under the
    // pointer the types `alone` says.
    void followTargets(xcb_window_t source, std::function<bool(const std::string&)> alone) {
        typeList_ = atom(connection_, "XdndTypeList");
        auto types = readProperty(connection_, source, typeList_, XCB_ATOM_ATOM, 1024);
        // Three types or fewer travel in Qt's own message: nothing to choose.
        if (source == XCB_WINDOW_NONE || !alone || !types || types->format != 32) {
            return;
        }
        const auto* first = static_cast<const xcb_atom_t*>(xcb_get_property_value(types.get()));
        allTypes_.assign(first, first + xcb_get_property_value_length(types.get()) / 4);
        const std::vector<xcb_atom_t> fileList = {uriListAtom_,
                                                  textAtom_,
                                                  atom(connection_, "text/x-moz-url"),
                                                  atom(connection_, "UTF8_STRING"),
                                                  atom(connection_, "TEXT"),
                                                  XCB_ATOM_STRING};
        directSaveTypes_.clear();
        for (xcb_atom_t type : allTypes_) {
            if (std::find(fileList.begin(), fileList.end(), type) == fileList.end()) {
                directSaveTypes_.push_back(type);
            }
        }
        Owned<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, source), nullptr),
            &std::free);
        if (!geometry || directSaveTypes_.size() == allTypes_.size()) {
            return;
        }
        root_ = geometry->root;
        source_ = source;
        alone_ = std::move(alone);
    }

    void stopFollowingTargets() { source_ = XCB_WINDOW_NONE; }

    ~DragCompanion() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") {
            return false;
        }
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_SELECTION_REQUEST) {
            return answer(*reinterpret_cast<const xcb_selection_request_event_t*>(event));
        }
        // Pointer motion reaches Qt's drag as a core or an XInput 2 event;
        // this filter sees it before the drag moves on.
        if (source_ != XCB_WINDOW_NONE && (type == XCB_MOTION_NOTIFY || type == XCB_GE_GENERIC)) {
            offerTypesForWindowUnderPointer();
        }
        return false;
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

    void offerTypesForWindowUnderPointer() {
        Owned<xcb_query_pointer_reply_t> pointer(
            xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, root_), nullptr),
            &std::free);
        if (!pointer) {
            return;
        }
        xcb_window_t topLevel = pointer->child;
        // The drag's own image follows the pointer: the target is below it.
        if (isOurs(topLevel)) {
            topLevel = topLevelBelowOurs(pointer->root_x, pointer->root_y);
        }
        if (topLevel == topLevel_) {
            return;
        }
        topLevel_ = topLevel;
        const xcb_window_t client =
            topLevel_ != XCB_WINDOW_NONE
                ? clientWindowAt(topLevel_, pointer->root_x, pointer->root_y)
                : xcb_window_t{XCB_WINDOW_NONE};
        const bool alone = client != XCB_WINDOW_NONE && alone_(windowClass(client));
        if (alone == offeringAlone_) {
            return;
        }
        offeringAlone_ = alone;
        const std::vector<xcb_atom_t>& types = alone ? directSaveTypes_ : allTypes_;
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, source_, typeList_, XCB_ATOM_ATOM,
                            32, static_cast<uint32_t>(types.size()), types.data());
        reenter(client, types);
        xcb_flush(connection_);
    }

    // Qt may have told the target of the drag before the list was rewritten
    // (the target reads it once, as the drag enters): the drag leaves and
    // enters again, and the target reads the list anew. A target that had
    // not been told yet only sees one entry more.
    void reenter(xcb_window_t target, const std::vector<xcb_atom_t>& types) {
        auto aware =
            readProperty(connection_, target, atom(connection_, "XdndAware"), XCB_ATOM_ATOM, 1);
        if (!aware || aware->type == XCB_ATOM_NONE) {
            return;
        }
        xcb_window_t receiver = target;
        auto proxy =
            readProperty(connection_, target, atom(connection_, "XdndProxy"), XCB_ATOM_WINDOW, 1);
        if (proxy && proxy->format == 32 && xcb_get_property_value_length(proxy.get()) == 4) {
            receiver = *static_cast<const xcb_window_t*>(xcb_get_property_value(proxy.get()));
        }
        constexpr uint32_t kVersion = 5;
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = target;
        message.type = atom(connection_, "XdndLeave");
        message.data.data32[0] = source_;
        xcb_send_event(connection_, 0, receiver, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&message));
        message.type = atom(connection_, "XdndEnter");
        message.data.data32[1] = kVersion << 24 | (types.size() > 3 ? 1u : 0u);
        for (std::size_t i = 0; i < 3; ++i) {
            message.data.data32[2 + i] = i < types.size() ? types[i] : xcb_atom_t{XCB_ATOM_NONE};
        }
        xcb_send_event(connection_, 0, receiver, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&message));
    }

    static bool isOurs(xcb_window_t window) {
        const QWindowList windows = QGuiApplication::allWindows();
        return window != XCB_WINDOW_NONE &&
               std::any_of(windows.begin(), windows.end(), [window](QWindow* ours) {
                   return ours->handle() != nullptr && ours->winId() == window;
               });
    }

    // The uppermost shown window at the point that is not this program's, in
    // the root window's stacking order (as the drag itself looks for it).
    xcb_window_t topLevelBelowOurs(int16_t x, int16_t y) {
        Owned<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr),
            &std::free);
        if (!tree) {
            return XCB_WINDOW_NONE;
        }
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        const int count = xcb_query_tree_children_length(tree.get());
        std::vector<xcb_get_window_attributes_cookie_t> shown;
        std::vector<xcb_get_geometry_cookie_t> places;
        for (int i = 0; i < count; ++i) {
            shown.push_back(xcb_get_window_attributes(connection_, children[i]));
            places.push_back(xcb_get_geometry(connection_, children[i]));
        }
        xcb_window_t found = XCB_WINDOW_NONE;
        for (int i = count - 1; i >= 0; --i) { // every reply is taken
            Owned<xcb_get_window_attributes_reply_t> attributes(
                xcb_get_window_attributes_reply(connection_, shown[i], nullptr), &std::free);
            Owned<xcb_get_geometry_reply_t> place(
                xcb_get_geometry_reply(connection_, places[i], nullptr), &std::free);
            if (found == XCB_WINDOW_NONE && attributes && place &&
                attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
                attributes->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT && x >= place->x &&
                y >= place->y && x < place->x + place->width && y < place->y + place->height &&
                !isOurs(children[i])) {
                found = children[i];
            }
        }
        return found;
    }

    // The application's window at the point inside the top-level one (which
    // may be a window manager's frame around it): the first with WM_STATE.
    xcb_window_t clientWindowAt(xcb_window_t topLevel, int16_t x, int16_t y) {
        const xcb_atom_t wmState = atom(connection_, "WM_STATE");
        xcb_window_t window = topLevel;
        for (int depth = 0; depth < 8; ++depth) {
            auto state = readProperty(connection_, window, wmState, XCB_GET_PROPERTY_TYPE_ANY, 0);
            if (state && state->type != XCB_ATOM_NONE) {
                return window;
            }
            Owned<xcb_translate_coordinates_reply_t> inside(
                xcb_translate_coordinates_reply(
                    connection_, xcb_translate_coordinates(connection_, root_, window, x, y),
                    nullptr),
                &std::free);
            if (!inside || inside->child == XCB_WINDOW_NONE) {
                break;
            }
            window = inside->child;
        }
        return topLevel;
    }

    // The class half of WM_CLASS ("instance\0class\0").
    std::string windowClass(xcb_window_t window) {
        auto value = readProperty(connection_, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 64);
        if (!value || value->format != 8) {
            return {};
        }
        const std::string both(
            static_cast<const char*>(xcb_get_property_value(value.get())),
            static_cast<std::size_t>(xcb_get_property_value_length(value.get())));
        const std::size_t split = both.find('\0');
        return split == std::string::npos
                   ? std::string()
                   : both.substr(split + 1, both.find('\0', split + 1) - split - 1);
    }

    xcb_connection_t* connection_;
    QByteArray uriList_;
    xcb_atom_t selection_ = XCB_ATOM_NONE, uriListAtom_ = XCB_ATOM_NONE, textAtom_ = XCB_ATOM_NONE;
    // The types offered per target.
    xcb_window_t source_ = XCB_WINDOW_NONE, root_ = XCB_WINDOW_NONE, topLevel_ = XCB_WINDOW_NONE;
    xcb_atom_t typeList_ = XCB_ATOM_NONE;
    std::vector<xcb_atom_t> allTypes_, directSaveTypes_;
    std::function<bool(const std::string&)> alone_;
    bool offeringAlone_ = false;
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
    auto directSaveAloneTo = std::move(offer.directSaveAloneTo);
    auto* data = new DirectSaveMimeData(std::move(offer));
    auto* drag = new QDrag(source);
    drag->setMimeData(data);
    if (!pixmap.isNull()) {
        drag->setPixmap(pixmap);
        drag->setHotSpot(QPoint(pixmap.width() / 2, pixmap.height() / 2));
    }
    // The drag selection gets its owner when the drag starts, inside exec().
    QTimer::singleShot(0, data, [data, alone = std::move(directSaveAloneTo)]() mutable {
        data->announceName();
        if (companion && data->speaksDirectSave()) {
            companion->followTargets(dragSourceWindow(xcbConnection()), std::move(alone));
        }
    });
    // Copy only: file managers that see several actions may ask or move.
    // Qt keeps the drag (and its data) until the target has fetched what it
    // wanted, which is after exec() returns: it is not ours to delete.
    const Qt::DropAction action = drag->exec(Qt::CopyAction, Qt::CopyAction);
    if (companion) {
        companion->stopFollowingTargets();
        QTimer::singleShot(kAnswerAfterDrop, companion.data(), &QObject::deleteLater);
    }
    return action;
}

} // namespace quillet::platform::qt
