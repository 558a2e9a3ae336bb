#pragma once

#include <QString>

namespace tickora {

/// Starts a WAV file playing and returns at once; a missing file or a machine without audio
/// stays silent. Also the system beep.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const QString& wavPath) = 0;
    virtual void beep() = 0;
};

/// Plays through `paplay`, falling back to `aplay`, as a detached process with no output.
class ProcessSoundPlayer : public SoundPlayer
{
public:
    void play(const QString& wavPath) override;
    void beep() override;
};

} // namespace tickora
