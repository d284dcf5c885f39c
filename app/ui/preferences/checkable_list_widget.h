// A list of check boxes (the folders a template is offered in, the items of
// the templates folder to add): its items are ticked through their
// accessible Toggle action as by a click.
#pragma once

#include <QListWidget>

namespace quillet::app {

class CheckableListWidget final : public QListWidget {
    Q_OBJECT
public:
    explicit CheckableListWidget(QWidget* parent = nullptr);
};

} // namespace quillet::app
