#pragma once

#include "platform/db/PharvelError.h"

#include <utility>

// One step of a move that may fail without stopping the move: keeping the main window's tree in
// step with a change the catalogue has already made. A step that fails (a node the tree never
// loaded, a key the tree already holds) is passed over without a word.
template <class Step> void ResumeNext(Step&& step)
{
    try {
        std::forward<Step>(step)();
    } catch (const PharvelError&) {
        // The catalogue holds the change; the tree shows it after its next load.
    }
}
