// The melody document store: the one current MelodyImage (the bytes of an MLD
// file), the SequenceList and the FFF0 data state. It answers every question
// the system asks of a melody file and opens and saves it. The application
// owns one store and passes it to what needs it; tests make their own.
//
// MLD layout: "melo", file length L (4 bytes, size - 8), header length H
// (2 bytes), 01 01 01, header chunks (tag, 2-byte length, data) up to offset
// 10 + H, then "trac", track length, and events to the end of the file.
// All queries stay inside the image whatever its length fields claim.
#pragma once

#include <string>
#include <string_view>

#include "SequenceList.h"

namespace quaverly {

struct MelodyControls;
class MelodyControlsReader;

class MelodyStore {
public:
    // The document itself.
    std::string& MelodyImage() { return m_image; }
    const std::string& MelodyImage() const { return m_image; }
    SequenceList& Sequence() { return m_sequence; }
    const SequenceList& Sequence() const { return m_sequence; }

    // FFF0 data: whether the track carries an FF F0 event, and its data as
    // hexadecimal text. Neither ClearMelody nor a new document resets them.
    bool fff0DataSet = false;
    std::string fff0DataHex;

    // Empties the SequenceList and the MelodyImage.
    void ClearMelody();
    // True when the image starts with the four bytes "melo".
    bool IsMelodyImage() const;
    // Data of the first header chunk with that tag, or empty.
    std::string HeaderChunk(std::string_view tag) const;
    // Tempo from FF C3 (or FF C2 halved), whichever comes first; 125 without either.
    int MelodyTempo() const;
    // The voice's tone as "n - name" (ToneTable name first, then InstrumentNameTable).
    std::string VoiceToneText(int voice) const;
    // The voice's volume from its first FF E2 event; 63 without one.
    int VoiceVolume(int voice) const;
    // Sets fff0DataSet and fff0DataHex from the first FF F0 event of the image.
    void LoadFFF0Data();
    // The same from controls read before from this image.
    void LoadFFF0Data(const MelodyControls& controls);
    // Appends one EventLine per note event and per end event (FF DF) of the image.
    // A time beyond the five-digit column throws MelodyLimitError ("音譜が長すぎます")
    // and leaves the list as it was.
    void ListSequence();
    // ListSequence, and the controls of the image read in the same walk: the
    // load needs both, and the walk is most of their cost.
    MelodyControls ListSequenceAndControls();
    // Writes the image to the file, replacing it atomically. Throws FileError,
    // and refuses (QuaverlyError, nothing written) an image that is no melody:
    // an empty one, left by New or by a refused analysis, would otherwise
    // become an empty file in place of the user's song.
    void SaveMelodyFile(const std::string& path) const;
    // Replaces the image with the file's bytes; a ".pmr" name (any case) skips
    // the first 192 bytes. Throws FileError; the image is then left empty.
    void OpenMelodyFile(const std::string& path);

private:
    void ListEvents(MelodyControlsReader* controls);

    std::string m_image;
    SequenceList m_sequence;
};


// The "titl" data of the MLD file at that path, or empty; reads only as far
// as the header can reach. Throws FileError.
std::string ReadMelodyTitle(const std::string& path);

// The chunk lookup on any byte string (used by the store and by ReadMelodyTitle).
std::string FindHeaderChunk(std::string_view image, std::string_view tag);

// The one check before melody bytes are written anywhere (a file, standard
// output): throws QuaverlyError naming the destination for bytes that are
// no melody (empty, or not starting with "melo" and its length).
void RequireMelodyImage(std::string_view image, const std::string& destination);

}  // namespace quaverly
