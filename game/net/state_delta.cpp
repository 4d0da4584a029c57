// Choosing the bodies that changed enough to matter.
#include "game/net/state_delta.h"

std::vector<protocol::SBodyState>
CStateDelta::select(double now, const std::vector<protocol::SBodyState>& bodies, int ballCount)
{
    std::vector<protocol::SBodyState> chosen;
    for (const protocol::SBodyState& body : bodies) {
        const auto it = mTold.find(body.index);
        bool tell = it == mTold.end();
        if (!tell) {
            const STold& told = it->second;
            const float age = static_cast<float>(now - told.time);
            const Ogre::Vector3 expected = told.position + told.velocity * age;
            const bool movingBall =
                body.index < ballCount &&
                (body.velocity.length() > kMovingSpeed || told.velocity.length() > kMovingSpeed);
            tell = movingBall || expected.distance(body.position) > kPathTolerance ||
                   now - told.time >= kRefreshInterval;
        }
        if (!tell)
            continue;
        chosen.push_back(body);
        mTold[body.index] = {now, body.position, body.velocity};
    }
    return chosen;
}
