// Every event handler runs inside a guard: whatever escapes it becomes one message, the program
// goes on and the window stays usable.
#pragma once

#include <functional>

namespace qb {

void runGuarded(const std::function<void()>& handler);

// Wraps a handler for connect(): connect(button, &QPushButton::clicked, this, guarded([this] {...}));
template <class F>
auto guarded(F handler)
{
    return [handler](auto&&...) { runGuarded(handler); };
}

}  // namespace qb
