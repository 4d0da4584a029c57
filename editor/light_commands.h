// Undo steps of the lights: CLightsCommand keeps the named lights before and after a change
// (gone, or their values and place in the list), CAmbientCommand the ambient colour. Neither
// touches anything but the lights; the change is made before the command is pushed.
#pragma once

#include "editor/map_document.h"

#include <QUndoCommand>

#include <string>
#include <vector>

class CLightsCommand : public QUndoCommand
{
public:
    CLightsCommand(CMapDocument& document, const QString& text,
                   std::vector<CMapDocument::SLightState> before,
                   std::vector<CMapDocument::SLightState> after, int mergeId);
    void undo() override;
    void redo() override;
    int id() const override { return mMergeId; }
    // Only steps on the same lights fold into one.
    bool mergeWith(const QUndoCommand* other) override;

private:
    CMapDocument& mDocument;
    std::vector<CMapDocument::SLightState> mBefore;
    std::vector<CMapDocument::SLightState> mAfter;
    int mMergeId;
    bool mApplied = true;
};

class CAmbientCommand : public QUndoCommand
{
public:
    CAmbientCommand(CMapDocument& document, const Ogre::ColourValue& before,
                    const Ogre::ColourValue& after);
    void undo() override;
    void redo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

private:
    CMapDocument& mDocument;
    Ogre::ColourValue mBefore;
    Ogre::ColourValue mAfter;
};
