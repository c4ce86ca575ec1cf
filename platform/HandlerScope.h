#pragma once

// The span of one handler, and the work that may stay open only within it.
//
// Every handler of a click, change or timer event runs through ErrorReport::run
// (and `on(...)`), which marks it running here. Whatever a lower layer keeps
// open for the length of one handler (the data layer's write transaction: all
// rows one action writes reach the file together) registers as a Participant
// and is settled when the outermost handler ends, normally or by an error, and
// before any message box or other modal dialog waits for the user, so that
// nothing stays locked while the user reads a box.
namespace HandlerScope {

class Participant {
public:
    virtual ~Participant() = default;
    // Finishes the work held open (commits). A failure is thrown as Error
    // after the work was undone; nothing stays open either way.
    virtual void settle() = 0;
};

// A participant takes part from add() until remove(); the one who adds it
// removes it before it goes.
void add(Participant* participant);
void remove(Participant* participant);

// Whether a handler is running (its work may be held open until it ends).
bool active();

// Settles every participant now. When one fails the others are settled all
// the same and the first failure is thrown.
void settle();

// Marks a handler running for its lifetime; handlers may run inside others
// (a signal sent by a handler), and the outermost one ends the span.
class Running {
public:
    Running();
    ~Running();
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

    // Whether this is the outermost handler: its end settles the work.
    bool outermost() const { return m_outermost; }

private:
    bool m_outermost;
};

// Marks a modal wait for the user (a message box, a dialog) for its
// lifetime. What the running handler holds open is settled first (a failure
// is thrown, and there is then no wait); a handler that the wait's own event
// loop runs meanwhile is an outermost one and settles its own work.
class Waiting {
public:
    Waiting();
    ~Waiting();
    Waiting(const Waiting&) = delete;
    Waiting& operator=(const Waiting&) = delete;

private:
    int m_depth;
};

} // namespace HandlerScope
