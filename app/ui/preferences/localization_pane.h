// The Localization pane: the file-manager module's texts, each with the
// user's replacement beside it (the module's own text shows as placeholder
// while there is none). Delete clears a replacement.
#pragma once

#include "app/core/app_services.h"
#include "app/core/preferences/localization_model.h"
#include "preferences_pane.h"

#include "shared/localized_strings.h"

#include <QAbstractTableModel>

#include <memory>

class QTableView;

namespace quillet::app {

class LocalizationTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kKeyColumn = 0;
    static constexpr int kValueColumn = 1;
    // The placeholder text of a replacement cell.
    static constexpr int kPlaceholderRole = Qt::UserRole + 1;

    LocalizationTableModel(LocalizationModel& model, Translator translate, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Removes the replacement of the row: the module's own text is back.
    bool clearReplacement(int row);

signals:
    void saveFailed(const QString& why);

private:
    LocalizationModel& model_;
    Translator translate_;
};

class LocalizationPreferencesViewController final : public PreferencesPane {
    Q_OBJECT
public:
    // The module's catalogs are looked up in localeDir (…/share/locale) for
    // the user's languages.
    LocalizationPreferencesViewController(AppServices& services, const std::string& localeDir,
                                          const std::vector<std::string>& languages,
                                          QWidget* parent = nullptr);
    ~LocalizationPreferencesViewController() override;

    QString identifier() const override { return QStringLiteral("LocalizationPreferences"); }
    QIcon toolbarItemImage() const override;
    QString toolbarItemLabel() const override;
    bool commitEditing() override;
    QWidget* initialKeyView() override;
    // The size the window first gives the pane.
    QSize sizeHint() const override { return QSize(560, 300); }

    QTableView* tableView() const { return table_; }
    LocalizationModel& model() { return *model_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppServices& services_;
    std::unique_ptr<LocalizationModel> model_;
    LocalizationTableModel* tableModel_ = nullptr;
    QTableView* table_ = nullptr;
};

} // namespace quillet::app
