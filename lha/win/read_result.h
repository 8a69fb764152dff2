#pragma once
// Result codes of the reading commands (l, v, t, x, e) and of the archive
// handle API. Where the archiver-library convention has a code for the case,
// its value is used; the 0x81xx values are this library's own, as for the
// add command (archive_command.h).
namespace yx::lha::win {

enum ReadResult : int {
  kReadOk = 0,
  kErrorMethod = 0x8009,            // an entry in a method this library does not decode
  kErrorFileCrc = 0x800C,           // an entry's data fails its CRC-16
  kErrorAlreadyExist = 0x8010,      // a file not overwritten (the default rule)
  kErrorMakeDirectory = 0x8012,     // a folder could not be made
  kErrorCannotWrite = 0x8013,       // a file could not be written (disk full, held, denied)
  kErrorHuffmanCode = 0x8014,       // an entry's data cannot be decoded
  kErrorHeaderBroken = 0x8017,      // a damaged or truncated archive
  kErrorArcFileOpen = 0x8018,       // the archive cannot be opened
  kErrorNotArcFile = 0x8019,        // no LHA archive in the file
  kErrorHarcNotOpened = 0x8021,     // a handle the library did not give, or closed
  kErrorNotSearchMode = 0x8022,     // a getter before FindFirst found an entry
  kErrorUnsafeName = 0x8109,        // an entry refused: absolute, "..", device, link
  kErrorLongerThanStated = 0x810A,  // data that decodes past the header's size
};

}  // namespace yx::lha::win
