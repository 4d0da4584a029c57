// The rules of one game: times, steering, events, the winner and pausing.
#include "game/core/game_state.h"

#include "game/core/application.h"
#include "game/core/best_runs.h"
#include "game/core/ghost.h"
#include "game/core/highscores.h"
#include "game/core/hud_view.h"
#include "game/core/round_scene.h"
#include "game/core/sound.h"
#include "game/core/time_text.h"
#include "game/input/player.h"
#include "game/net/network.h"
#include "world/paths.h"
#include "world/scene.h"

#include <OgreLogManager.h>
#include <OgreRoot.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {
const char* const kMusicFile = "sounds/ingame.wav";
const char* const kStartSoundFile = "sounds/startsound.wav";
const char* const kCollisionSoundFile = "sounds/collision.mp3";
const char* const kWinningSoundFile = "sounds/winningsound.wav";
const Ogre::Vector3 kMusicPosition(0, 0, -2);
// The first updates of a round carry the time spent building it; they do not count.
const int kWarmUpUpdates = 2;
const int kWarmUpCounterLimit = 3;
// Seconds between two refreshes of the displayed times.
const double kHudInterval = 0.1;

// Shared by all game states, so every player's time is refreshed in the same frame.
double gHudTimer = 0.0;
bool gHudUpdated = false;

// The winner line's comparison with the best run before this one: "-0.412 s".
std::string differenceText(double seconds, double best)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%+.3f s", seconds - best);
    return text;
}

double storedBestTime(const std::string& mapName)
{
    const std::string text = readTop5(mapName)[0].timeText;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && std::isfinite(value) ? value : 0.0;
}

void playOnce(const std::string& file, const Ogre::Vector3& position)
{
    std::unique_ptr<CSoundHandle> sound = playSound3D(file, position, false);
    sound->setIsPaused(false);
    sound->drop(); // plays to its end on its own
}

void handOver(CExtFrameListener* listener)
{
    if (!listener)
        return;
    if (Ogre::Root* root = Ogre::Root::getSingletonPtr())
        root->removeFrameListener(listener);
    CApplication::getInstance()->destroyLater(listener);
}
} // namespace

CGameState::CGameState()
{
    resetRound();
}

CGameState::~CGameState()
{
    leaveNetwork();
    for (PlayerRecord& record : mRecords)
        if (record.player)
            removePlayer(record.player);
    releaseScene();
    if (mMusic)
        mMusic->drop();
    mMusic.reset();
    releaseWinningSound();
    mRecords.clear();
}

void CGameState::resetRound()
{
    mRecords.clear();
    releaseScene();
    releaseWinningSound();
    mRunning = false;
    mMusic = playSound3D(paths::dataFile(kMusicFile), kMusicPosition, true);
}

void CGameState::addPlayer(CPlayer* player)
{
    mRecords.push_back({player, 0.0});
}

void CGameState::setScene(CScene* scene)
{
    setRoundScene(makeRoundScene(scene));
}

void CGameState::setRoundScene(std::unique_ptr<IRoundScene> scene)
{
    releaseScene();
    mScene = std::move(scene);
}

CScene* CGameState::getScene() const
{
    return mScene ? mScene->getScene() : nullptr;
}

void CGameState::startRound(int playerCount)
{
    mRunning = true;
    for (PlayerRecord& record : mRecords)
        record.time = 0.0;
    mPlayerCount = playerCount;
    releaseWinningSound();
    playOnce(paths::dataFile(kStartSoundFile), Ogre::Vector3::ZERO);
    if (mMusic)
        mMusic->setIsPaused(false);
    mWarmUpCounter = 0;
    if (mRecordRuns) {
        mRecorder.restart();
        loadGhost(); // a run of the last try may have become the best
    }
    // A new round's first display refresh comes a full interval after its start; until then the
    // display shows the clock at zero, not the time of the try before.
    gHudTimer = 0.0;
    if (IHudView* hud = getHudView())
        for (size_t i = 0; i < mRecords.size(); ++i)
            if (mRecords[i].player)
                hud->setPlayerTime(static_cast<int>(i) + 1, formatRaceTime(0.0));
    joinNetwork();
}

void CGameState::joinNetwork()
{
    mServerWinner = 0;
    mServerSeconds = 0.0;
    if (!CNetwork::hasInstance() || !CNetwork::getSingleton().isConnected()) {
        mServerDecides = false;
        return;
    }
    CNetwork& network = CNetwork::getSingleton();
    network.attachRound(this);
    mServerDecides = network.getRole() == CNetwork::ROLE_CLIENT;
}

void CGameState::leaveNetwork()
{
    if (CNetwork::hasInstance())
        CNetwork::getSingleton().detachRound(this);
}

void CGameState::peerReset(int playerNumber)
{
    // The server's own scene sends the ball back to its start, which resets the time and tells
    // the client; the client only follows the server's clock.
    CScene* scene = mServerDecides ? nullptr : getScene();
    if (scene)
        scene->resetBall(playerNumber - 1);
    else
        resetPlayerTime(playerNumber);
}

void CGameState::serverDecided(int winnerNumber, double seconds)
{
    if (mServerDecides && mServerWinner == 0) {
        mServerWinner = winnerNumber;
        mServerSeconds = seconds;
    }
}

void CGameState::recordRuns(bool showGhost)
{
    if (!mScene || mRecords.empty() || !mRecords[0].player)
        return;
    mRecordRuns = true;
    mShowGhost = showGhost;
    const std::string mapName = mScene->getMapName();
    mRecorder.start(mapName, fileContentHash(mapFileName(mapName)), mRecords[0].player->getName());
    loadGhost();
}

void CGameState::loadGhost()
{
    mGhost.reset();
    SRecording best;
    CScene* scene = mScene->getScene();
    if (!mShowGhost || !scene || !loadBestRun(mScene->getMapName(), 1, best))
        return;
    Ogre::LogManager::getSingleton().logMessage("Ghost: racing the best run of " + best.playerName +
                                                " (" + formatHighscoreTime(best.time) + " s)");
    mGhost = std::make_unique<CGhost>(scene->getSceneManager(), std::move(best));
}

void CGameState::recordFrame(double clock)
{
    if (mGhost)
        mGhost->update(clock);
    if (!mRecordRuns)
        return;
    SRunSample pose;
    if (!mScene->getBallPose(0, pose.position, pose.orientation))
        return;
    const std::vector<Ogre::Vector3>& forces = mScene->getBallForces();
    if (!forces.empty())
        pose.steering = forces[0];
    mRecorder.addFrame(clock, pose);
}

void CGameState::removePlayer(CPlayer* player)
{
    if (!player)
        return;
    for (PlayerRecord& record : mRecords) {
        if (record.player == player) {
            record.player = nullptr;
            record.time = 0.0;
            handOver(player);
            return;
        }
    }
}

void CGameState::resetPlayerTime(int playerNumber)
{
    for (PlayerRecord& record : mRecords)
        if (record.player && record.player->getPlayerNumber() == playerNumber)
            record.time = 0.0;
}

bool CGameState::updateRunning(const Ogre::FrameEvent& evt)
{
    if (!mRunning || !mScene)
        return true;
    const int winner = mServerDecides ? mServerWinner : mScene->getWinner();
    if (winner == 0)
        updateRecords(evt.timeSinceLastFrame);
    else
        handleWinner(winner, mServerSeconds);
    return true;
}

void CGameState::updateRecords(double frameTime)
{
    gHudTimer += frameTime;
    if (mWarmUpCounter < kWarmUpCounterLimit)
        ++mWarmUpCounter;
    IHudView* hud = getHudView();
    for (size_t i = 0; i < mRecords.size(); ++i) {
        if (!mRecords[i].player)
            continue; // a removed player's record neither counts nor shows
        if (mWarmUpCounter > kWarmUpUpdates)
            mRecords[i].time += frameTime;
        if (gHudTimer > kHudInterval) {
            if (hud)
                hud->setPlayerTime(static_cast<int>(i) + 1, formatRaceTime(mRecords[i].time));
            gHudUpdated = true;
        }
        updatePlayer(i);
    }
    if (!mRecords.empty())
        recordFrame(mRecords[0].time);
    if (gHudUpdated) {
        gHudUpdated = false;
        gHudTimer = 0.0;
    }
}

void CGameState::updatePlayer(size_t index)
{
    CPlayer* player = mRecords[index].player;
    Ogre::Vector3 direction = Ogre::Vector3::ZERO;
    player->getDirection(direction);

    const int number = player->getPlayerNumber();
    const int ball = number - 1;
    if (mScene->takeCollisionEvent(ball)) {
        player->rumble(kRumbleMilliseconds);
        playOnce(paths::dataFile(kCollisionSoundFile), Ogre::Vector3::ZERO);
    }
    if (mScene->takeResetEvent(ball)) {
        mRecords[index].time = 0.0;
        if (mRecordRuns && index == 0)
            mRecorder.restart();
        // Only a connected peer hears of it: without one nothing would ever take the command.
        if (CNetwork::hasInstance())
            CNetwork::getSingleton().sendReset(number);
    }
    std::vector<Ogre::Vector3>& forces = mScene->getBallForces();
    if (ball >= 0 && static_cast<size_t>(ball) < forces.size())
        forces[static_cast<size_t>(ball)] = direction;
    for (const PlayerRecord& other : mRecords)
        if (other.player && other.player != player)
            other.player->otherPlayerDirection(direction);
}

void CGameState::handleWinner(int winnerNumber, double serverSeconds)
{
    if (mMusic)
        mMusic->setIsPaused(true);
    releaseWinningSound();
    mWinningSound = playSound3D(paths::dataFile(kWinningSoundFile), kMusicPosition, false);
    mWinningSound->setIsPaused(false);

    CPlayer* winner = nullptr;
    for (const PlayerRecord& record : mRecords) {
        if (record.player && record.player->getPlayerNumber() == winnerNumber) {
            winner = record.player;
            break;
        }
    }
    double winningTime = -1.0;
    for (const PlayerRecord& record : mRecords)
        if (winner && record.player == winner)
            winningTime = mServerDecides ? serverSeconds : record.time;

    if (CNetwork::hasInstance())
        CNetwork::getSingleton().sendWinner(winnerNumber, winningTime);
    mRunning = false;

    const double best = storedBestTime(mScene->getMapName());
    const int place = enterWinningTime(winner, winningTime);
    if (IHudView* hud = getHudView()) {
        hud->showWinner(winner, winningTime, place);
        if (mRecordRuns && winner && best > 0.0)
            hud->showRunComparison(differenceText(winningTime, best));
    }
}

int CGameState::enterWinningTime(CPlayer* winner, double seconds)
{
    // A number that names no player of this game (a peer may send any) enters no highscore.
    if (!winner)
        return -1;
    const std::string mapName = mScene->getMapName();
    SRunSample pose;
    if (!mRecordRuns || !mRecorder.isStarted() || winner != mRecords[0].player ||
        !mScene->getBallPose(0, pose.position, pose.orientation))
        return updateHighscores(mapName, winner->getName(), seconds);
    const SRecording run = mRecorder.finish(seconds, pose);
    return enterBestRun(mapName, winner->getName(), seconds, &run);
}

void CGameState::onPause()
{
    for (PlayerRecord& record : mRecords)
        if (record.player)
            record.player->setPaused(true);
    if (mScene && mScene->getListener())
        mScene->getListener()->setPaused(true);
    if (mMusic)
        mMusic->setIsPaused(true);
}

void CGameState::onResume()
{
    for (PlayerRecord& record : mRecords)
        if (record.player)
            record.player->setPaused(false);
    if (mScene && mScene->getListener())
        mScene->getListener()->setPaused(false);
    if (mMusic)
        mMusic->setIsPaused(false);
}

void CGameState::releaseScene()
{
    // The ghost's node lives in the scene's scene manager: it goes first.
    mGhost.reset();
    if (!mScene)
        return;
    handOver(mScene->getListener());
    mScene.reset();
}

void CGameState::releaseWinningSound()
{
    if (!mWinningSound)
        return;
    mWinningSound->stop();
    mWinningSound->drop();
    mWinningSound.reset();
}
