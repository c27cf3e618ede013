#include "ui/frmKestrow.h"

namespace ui {

int HelpTopicFor(int id) {
    const LayoutRow* c = FindControl(id);
    // The link label has no topic of its own; F1 there shows the window's.
    return c && c->helpTopic != 0 ? c->helpTopic : kWindowHelpTopic;
}

int MenuHelpTopicFor(int id) {
    for (const MenuHelp& item : kMenuHelp)
        if (item.id == id) return item.topic;
    return kWindowHelpTopic;
}

}  // namespace ui
