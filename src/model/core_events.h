#pragma once

#include <QString>

namespace vev {

// What the core tells whoever shows the survey: the window turns these into its positioned
// message box, the system beep and a redrawn count line; the command-line companion prints
// the notices on standard error.
class CoreEvents {
public:
    virtual ~CoreEvents() = default;
    // A notice for the operator; a carriage return separates the message from a file name.
    virtual void notice(const QString& text) = 0;
    virtual void informationBeep() = 0;
    // Tally[q][*] changed: the count line of row q needs redrawing.
    virtual void tallyChanged(int q) = 0;
};

// Swallows everything: for code paths that show nothing.
class SilentEvents : public CoreEvents {
public:
    void notice(const QString&) override {}
    void informationBeep() override {}
    void tallyChanged(int) override {}
};

} // namespace vev
