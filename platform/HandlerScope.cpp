#include "platform/HandlerScope.h"

#include <algorithm>
#include <exception>
#include <vector>

namespace {

struct State {
    std::vector<HandlerScope::Participant*> participants;
    int depth = 0;
};

State& state()
{
    static State s;
    return s;
}

} // namespace

void HandlerScope::add(Participant* participant) { state().participants.push_back(participant); }

void HandlerScope::remove(Participant* participant)
{
    auto& list = state().participants;
    list.erase(std::remove(list.begin(), list.end(), participant), list.end());
}

bool HandlerScope::active() { return state().depth > 0; }

void HandlerScope::settle()
{
    std::exception_ptr first;
    // A copy: settling may not add or remove participants, but a fault must
    // not leave the loop walking a changed list.
    const std::vector<Participant*> participants = state().participants;
    for (Participant* participant : participants) {
        try {
            participant->settle();
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    }
    if (first)
        std::rethrow_exception(first);
}

HandlerScope::Running::Running() : m_outermost(state().depth == 0) { ++state().depth; }

HandlerScope::Running::~Running() { --state().depth; }

HandlerScope::Waiting::Waiting() : m_depth(state().depth)
{
    settle();
    state().depth = 0;
}

HandlerScope::Waiting::~Waiting() { state().depth = m_depth; }
