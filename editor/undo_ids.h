// The merge ids of the editor's undo commands, all in one place: commands with the same id that
// follow each other (arrow nudges of one selection, a slider being dragged) fold into one step.
#pragma once

enum EMergeId
{
    MERGE_NEVER = -1,
    MERGE_NUDGE = 1,
    MERGE_AMBIENT,
    MERGE_LIGHT_COLOURS
};
