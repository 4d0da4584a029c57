// Undo steps of the lights: CLightsCommand keeps the named lights before and after a change
// (gone, or their values and place in the list), CAmbientCommand the ambient colour. Neither
// touches anything but the lights.
#pragma once

#include "editor/map_document.h"
#include "editor/swap_command.h"

#include <vector>

class CLightsCommand : public CSwapCommand<std::vector<CMapDocument::SLightState>>
{
public:
    using CSwapCommand::CSwapCommand;
    // Only steps on the same lights fold into one.
    bool mergeWith(const QUndoCommand* other) override;

private:
    void apply(const std::vector<CMapDocument::SLightState>& states) override;
};

class CAmbientCommand : public CSwapCommand<Ogre::ColourValue>
{
public:
    CAmbientCommand(CMapDocument& document, const Ogre::ColourValue& before,
                    const Ogre::ColourValue& after);
    bool mergeWith(const QUndoCommand* other) override;

private:
    void apply(const Ogre::ColourValue& colour) override;
};
