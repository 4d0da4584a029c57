// Undo steps of the lights and the ambient light.
#include "editor/light_commands.h"

#include "world/scene.h"

namespace {

bool sameLights(const std::vector<CMapDocument::SLightState>& a,
                const std::vector<CMapDocument::SLightState>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name)
            return false;
    }
    return true;
}

bool sameState(const CMapDocument::SLightState& a, const CMapDocument::SLightState& b)
{
    return a.name == b.name && a.exists == b.exists && a.index == b.index &&
           a.light.position == b.light.position && a.light.diffuse == b.light.diffuse &&
           a.light.specular == b.light.specular && a.light.range == b.light.range;
}

} // namespace

void CLightsCommand::apply(const std::vector<CMapDocument::SLightState>& states)
{
    mDocument.applyLightStates(states);
}

bool CLightsCommand::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const CLightsCommand*>(other);
    if (!sameLights(mAfter, next->mBefore))
        return false;
    mAfter = next->mAfter;
    bool unchanged = true;
    for (size_t i = 0; i < mAfter.size(); ++i)
        unchanged = unchanged && sameState(mBefore[i], mAfter[i]);
    setObsolete(unchanged);
    return true;
}

CAmbientCommand::CAmbientCommand(CMapDocument& document, const Ogre::ColourValue& before,
                                 const Ogre::ColourValue& after)
    : CSwapCommand(document, QStringLiteral("Ambient light"), before, after, MERGE_AMBIENT)
{
}

void CAmbientCommand::apply(const Ogre::ColourValue& colour)
{
    mDocument.applyAmbient(colour);
}

bool CAmbientCommand::mergeWith(const QUndoCommand* other)
{
    mAfter = static_cast<const CAmbientCommand*>(other)->mAfter;
    setObsolete(mAfter == mBefore);
    return true;
}
