#pragma once

// Marks, for the running thread, that the library is inside a host callback made for a player
// while that player's request is in progress (set-up outcome, stream time, keep-alive loss).
// Exports called from there for the same player refuse at once: the slot and source locks are
// re-entrant for this thread, so the call would run a second request inside the first or free
// the player under its own stack. Scopes nest, one per player whose request is in progress.
class CHostCallbackScope {
public:
    explicit CHostCallbackScope(int playerId);
    ~CHostCallbackScope();
    CHostCallbackScope(const CHostCallbackScope&) = delete;
    CHostCallbackScope& operator=(const CHostCallbackScope&) = delete;

    // Whether this thread is inside a callback scope of that player.
    static bool IsActiveFor(int playerId);

private:
    int playerId;
    const CHostCallbackScope* outer;
};
