// The list of box materials (defined in data/materials/kivo.material).
#include "world/box_materials.h"

#include <algorithm>

const std::vector<std::string>& boxMaterials()
{
    // Sorted, for the search below.
    static const std::vector<std::string> materials = {"finishbox", "grass", "ice", "metal",
                                                       "startbox",  "stone", "wood"};
    return materials;
}

bool isBoxMaterial(const std::string& material)
{
    const std::vector<std::string>& materials = boxMaterials();
    return std::binary_search(materials.begin(), materials.end(), material);
}
