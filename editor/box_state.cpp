// Reading and restoring the stored state of one box.
#include "editor/box_state.h"

#include "world/scene.h"

SBoxState SBoxState::of(const CBox& box, const std::string& grid)
{
    SBoxState state;
    state.name = box.getName();
    state.grid = grid;
    state.material = box.getMaterialName();
    state.position = box.getPosition();
    state.vertices = box.getVertices();
    state.fitTexture = box.getFitTexture();
    return state;
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
