#include "localization_pane.h"

#include "accessible_item_views.h"
#include "list_pane_controls.h"

#include "shared/error_text.h"
#include "shared/text_mark.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace quillet::app {

namespace {

// An empty replacement shows the module's own text the way an empty field
// shows its placeholder; the editor shows it too.
class PlaceholderDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        if (!index.data(Qt::DisplayRole).toString().isEmpty()) {
            return;
        }
        const QString placeholder = index.data(LocalizationTableModel::kPlaceholderRole).toString();
        painter->save();
        painter->setPen(option.palette.color(QPalette::PlaceholderText));
        painter->drawText(
            option.rect.adjusted(4, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter,
            option.fontMetrics.elidedText(placeholder, Qt::ElideRight, option.rect.width() - 8));
        painter->restore();
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        QStyledItemDelegate::setEditorData(editor, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setPlaceholderText(
                index.data(LocalizationTableModel::kPlaceholderRole).toString());
            line->setAccessibleName(index.siblingAtColumn(0).data().toString());
        }
    }
};

} // namespace

LocalizationTableModel::LocalizationTableModel(LocalizationModel& model, Translator translate,
                                               QObject* parent)
    : QAbstractTableModel(parent), model_(model), translate_(std::move(translate)) {}

int LocalizationTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(model_.count());
}

int LocalizationTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant LocalizationTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    if (index.column() == kKeyColumn) {
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
            // The key is the catalog's own id; what it means is said beside it.
            const std::string& key = model_.keyAt(row);
            const std::string meaning = messageDescription(key);
            if (meaning.empty()) {
                return QString::fromStdString(key);
            }
            return QString::fromStdString(key + " (" +
                                          (translate_ ? translate_(meaning) : meaning) + ")");
        }
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return QString::fromStdString(model_.valueAt(row).value_or(std::string()));
    case kPlaceholderRole:
    case Qt::ToolTipRole:
        return QString::fromStdString(model_.placeholderAt(row));
    default:
        return {};
    }
}

bool LocalizationTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != kValueColumn || role != Qt::EditRole) {
        return false;
    }
    const auto row = static_cast<std::size_t>(index.row());
    if (Status saved = model_.setValue(row, value.toString().toStdString()); !saved) {
        emit saveFailed(QString::fromStdString(localizedUserText(saved.error(), translate_)));
        return false;
    }
    emit dataChanged(index, index);
    return true;
}

bool LocalizationTableModel::clearReplacement(int row) {
    if (row < 0 || row >= rowCount()) {
        return false;
    }
    if (Status saved = model_.setValue(static_cast<std::size_t>(row), std::nullopt); !saved) {
        emit saveFailed(QString::fromStdString(localizedUserText(saved.error(), translate_)));
        return false;
    }
    emit dataChanged(index(row, kValueColumn), index(row, kValueColumn));
    return true;
}

QVariant LocalizationTableModel::headerData(int section, Qt::Orientation orientation,
                                            int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    const char* text = section == kKeyColumn ? N_("Text") : N_("Replacement");
    return QString::fromStdString(translate_ ? translate_(text) : std::string(text));
}

Qt::ItemFlags LocalizationTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return index.column() == kValueColumn ? flags | Qt::ItemIsEditable : flags;
}

LocalizationPreferencesViewController::LocalizationPreferencesViewController(
    AppServices& services, const std::string& localeDir, const std::vector<std::string>& languages,
    QWidget* parent)
    : PreferencesPane(parent), services_(services) {
    setObjectName("LocalizationPreferences");
    model_ = std::make_unique<LocalizationModel>(
        services.openSharedDefaults(), LocalizationModel::defaultStringsFor(localeDir, languages));
    tableModel_ = new LocalizationTableModel(*model_, services.translate, this);

    auto* intro = new QLabel(translated(services, "Replace the texts of the file manager's menu. "
                                                  "An empty replacement keeps the original text."),
                             this);
    intro->setWordWrap(true);
    table_ = new EditableTableView(this);
    table_->setObjectName("LocalizationTable");
    table_->setAccessibleName(translated(services, "Texts of the file manager's menu"));
    table_->setModel(tableModel_);
    table_->setItemDelegateForColumn(LocalizationTableModel::kValueColumn,
                                     new PlaceholderDelegate(table_));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::AllEditTriggers);
    table_->setTabKeyNavigation(false);
    table_->verticalHeader()->hide();
    // A row is as tall as its wrapped description: a fixed height holds two
    // lines of Latin text but not of Japanese or Chinese, whose glyphs are
    // taller, and the description was cut off.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->installEventFilter(this);
    if (tableModel_->rowCount() > 0) {
        table_->setCurrentIndex(tableModel_->index(0, LocalizationTableModel::kValueColumn));
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(table_, 1);

    connect(tableModel_, &LocalizationTableModel::saveFailed, this, [this](const QString& why) {
        showPaneSheet(this, "LocalizationSaveFailedSheet",
                      translated(services_, "The replacement could not be saved"), why, nullptr,
                      nullptr);
    });
}

LocalizationPreferencesViewController::~LocalizationPreferencesViewController() = default;

QIcon LocalizationPreferencesViewController::toolbarItemImage() const {
    return QIcon::fromTheme("preferences-desktop-locale",
                            QIcon::fromTheme("accessories-dictionary"));
}

QString LocalizationPreferencesViewController::toolbarItemLabel() const {
    return translated(services_, "Localization");
}

bool LocalizationPreferencesViewController::commitEditing() {
    // An open editor writes its text before the pane goes.
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (editor != nullptr && table_->isAncestorOf(editor)) {
        QAbstractItemDelegate* delegate =
            table_->itemDelegateForColumn(LocalizationTableModel::kValueColumn);
        emit delegate->commitData(editor);
        emit delegate->closeEditor(editor);
    }
    return true;
}

QWidget* LocalizationPreferencesViewController::initialKeyView() {
    return table_;
}

bool LocalizationPreferencesViewController::eventFilter(QObject* watched, QEvent* event) {
    // An open editor takes the keys itself; these reach the table only
    // while nothing is being edited.
    if (watched == table_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            tableModel_->clearReplacement(table_->currentIndex().row());
            return true;
        }
    }
    return PreferencesPane::eventFilter(watched, event);
}

} // namespace quillet::app
