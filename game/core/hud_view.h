// IHudView: what the rules of a game write into the head-up display. The menu implements it and
// registers itself; without a registered view the game runs with nothing shown.
#pragma once

#include <string>

class CPlayer;

class IHudView
{
public:
    virtual ~IHudView() = default;

    // The running time of player playerNumber (1 to 4), already formatted ("01:15:041"); the
    // menu shows it in "HUD/TimePlayer" + playerNumber.
    virtual void setPlayerTime(int playerNumber, const std::string& timeText) = 0;
    // The end of a round. winner is nullptr when the winning number names no player of this game;
    // seconds is then -1. place is the highscore place 1 to 5, or -1 for none.
    virtual void showWinner(CPlayer* winner, double seconds, int place) = 0;
    // After showWinner: how the winning time compares with the best run before it ("-0.412 s").
    virtual void showRunComparison(const std::string&) {}
};

// The view the game states write to (not owned); nullptr unregisters it.
void setHudView(IHudView* view);
IHudView* getHudView();
