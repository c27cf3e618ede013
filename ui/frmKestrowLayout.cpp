#include "ui/frmKestrowLayout.h"

namespace ui {

const ControlSpec* FindControl(int id) {
    for (const ControlSpec& c : kKestrowControls)
        if (c.id == id) return &c;
    return nullptr;
}

int HelpTopicFor(int id) {
    const ControlSpec* c = FindControl(id);
    // The link label has no topic of its own; F1 there shows the window's.
    return c && c->helpTopic != 0 ? c->helpTopic : kWindowHelpTopic;
}

}  // namespace ui
