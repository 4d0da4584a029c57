// CGameState: the rules of one game. It keeps the players with their times, passes their steering
// to the scene every frame, shows the times on the head-up display, answers the scene's collision
// and reset events, and handles the winner once: sounds, the network, the highscore list and the
// result on the display. In a network round the server's rules decide: a client's game state
// ends its round with the server's winner and time. It owns its scene and players; both leave
// through the destroy list.
#pragma once

#include "game/net/network_round.h"
#include "game/core/run_recorder.h"
#include "world/ext_frame_listener.h"

#include <memory>
#include <vector>

class CGhost;
class CPlayer;
class CScene;
class CSoundHandle;
class IRoundScene;

class CGameState : public CExtFrameListener, public INetworkRound
{
public:
    struct PlayerRecord
    {
        CPlayer* player = nullptr; // nullptr once the player was removed
        double time = 0.0;         // seconds
    };

    static constexpr int kRumbleMilliseconds = 250;

    CGameState();
    ~CGameState() override;
    CGameState(const CGameState&) = delete;
    CGameState& operator=(const CGameState&) = delete;

    // Forgets the records, the scene and the winning sound and prepares a paused in-game music.
    void resetRound();
    // Appends a record; registering the player as frame listener is the caller's task.
    void addPlayer(CPlayer* player);
    // The scene of this game, owned from now on (a scene set before goes to the destroy list).
    void setScene(CScene* scene);
    // The same for any level behind the rules' view of it.
    void setRoundScene(std::unique_ptr<IRoundScene> scene);
    // nullptr when no CScene was set.
    CScene* getScene() const;
    void startRound(int playerCount);
    // Records player 1's runs from now on, each try from its start, and keeps a run that enters
    // the best times with them. With showGhost, the stored best run of the map (if any) races
    // along as a ghost.
    void recordRuns(bool showGhost);
    const CGhost* getGhost() const { return mGhost.get(); }
    const CRunRecorder& getRecorder() const { return mRecorder; }
    // Takes the player out of the frame loop and hands it to the destroy list; its record stays
    // with no player and time 0.
    void removePlayer(CPlayer* player);
    void resetPlayerTime(int playerNumber);

    // The network round's reports (a round joins the network when it starts while connected).
    void peerReset(int playerNumber) override;
    void serverDecided(int winnerNumber, double seconds) override;

    bool updateRunning(const Ogre::FrameEvent& evt) override;
    void onPause() override;
    void onResume() override;

    bool isRoundRunning() const { return mRunning; }
    int getPlayerCount() const { return mPlayerCount; }
    const std::vector<PlayerRecord>& getRecords() const { return mRecords; }

private:
    void updateRecords(double frameTime);
    void updatePlayer(size_t index);
    void handleWinner(int winnerNumber, double serverSeconds);
    void joinNetwork();
    void leaveNetwork();
    void releaseScene();
    void releaseWinningSound();
    void recordFrame(double clock);
    // The ghost of the map's best run as it is stored now (none when off or there is none).
    void loadGhost();
    int enterWinningTime(CPlayer* winner, double seconds);

    bool mRunning = false;
    std::vector<PlayerRecord> mRecords;
    std::unique_ptr<IRoundScene> mScene;
    int mPlayerCount = 0;
    std::unique_ptr<CSoundHandle> mMusic;
    std::unique_ptr<CSoundHandle> mWinningSound;
    int mWarmUpCounter = 0;
    // A client's round: its own scene's finish counts for nothing; the server's word ends it.
    bool mServerDecides = false;
    int mServerWinner = 0;
    double mServerSeconds = 0.0;
    bool mRecordRuns = false;
    bool mShowGhost = false;
    CRunRecorder mRecorder;
    std::unique_ptr<CGhost> mGhost;
};
