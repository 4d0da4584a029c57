// CLoadingScreen: the progress bar, logo and text shown while the game starts, with its sound.
#pragma once

#include <CEGUI/String.h>

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace CEGUI {
class Window;
}
class CSoundHandle;

class CLoadingScreen
{
public:
    CLoadingScreen();
    ~CLoadingScreen();

    void create();
    // Shows the new state and renders one frame, so it is on screen before the next slow step.
    void setProgress(float percent, const CEGUI::String& text);
    void hide();

    float getProgress() const { return mProgress; }
    const CEGUI::String& getText() const { return mText; }
    // Every step shown so far, in order.
    const std::vector<std::pair<float, std::string>>& getSteps() const { return mSteps; }
    // When each step was shown (after its frame was rendered).
    const std::vector<std::chrono::steady_clock::time_point>& getStepTimes() const
    {
        return mStepTimes;
    }
    bool isVisible() const;

private:
    CEGUI::String mText = "Loading";
    float mProgress = 0.0f;
    CEGUI::Window* mSheet = nullptr;
    CEGUI::Window* mBar = nullptr;
    CEGUI::Window* mLabel = nullptr;
    std::unique_ptr<CSoundHandle> mSound;
    std::vector<std::pair<float, std::string>> mSteps;
    std::vector<std::chrono::steady_clock::time_point> mStepTimes;
};
