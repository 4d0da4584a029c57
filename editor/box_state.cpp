// Reading and restoring the stored state of one box.
#include "editor/box_state.h"

#include "world/level_ogre.h"
#include "world/scene.h"

SBoxState SBoxState::of(const SLevelBox& box, const std::string& grid)
{
    return {box.name,      grid, box.material, toOgre(box.position), toOgre(box.vertices),
            box.fitTexture};
}

SLevelBox SBoxState::plain() const
{
    return {name, material, toLevel(position), toLevel(vertices), fitTexture};
}

bool SBoxState::applyTo(CLevel& level) const
{
    return level.setBox(plain());
}

bool SBoxState::applyTo(CScene& scene) const
{
    CBox* box = scene.findBox(name);
    if (!box)
        return false;
    box->setPosition(position);
    for (int i = 0; i < CBox::kVertexCount; ++i)
        box->setVertex(i, vertices[i]);
    // setMaterial rebuilds the geometry with the new vertices as well.
    box->setMaterial(material, fitTexture);
    return true;
}
