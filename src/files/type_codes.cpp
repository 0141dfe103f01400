#include "files/type_codes.h"

#include <string>

namespace vantrel {
namespace {

// The longest extension the table can match.
constexpr size_t kMaxExtensionLength = 3;

struct TypeEntry {
  std::string_view extension;  // upper case, without the dot
  FourCharCode type;
  FourCharCode creator;
};

constexpr TypeEntry Entry(std::string_view extension, const char (&type)[5],
                          const char (&creator)[5]) {
  return {extension, MakeFourCharCode(type), MakeFourCharCode(creator)};
}

constexpr std::array kTypeTable = {
    Entry("3DM", "3DMF", "TVOD"), Entry("QD3", "3DMF", "TVOD"), Entry("AIF", "AIFF", "TVOD"),
    Entry("AU", "ULAW", "TVOD"),  Entry("SND", "ULAW", "TVOD"), Entry("ULW", "ULAW", "TVOD"),
    Entry("AVI", "VfW ", "TVOD"), Entry("BMP", "BMP ", "GKON"), Entry("DIB", "BMP ", "GKON"),
    Entry("C", "TEXT", "CWIE"),   Entry("CP", "TEXT", "CWIE"),  Entry("CPP", "TEXT", "CWIE"),
    Entry("H", "TEXT", "CWIE"),   Entry("HPP", "TEXT", "CWIE"), Entry("DAT", "BINA", "hDmp"),
    Entry("DIF", "dvc!", "TVOD"), Entry("DV", "dvc!", "TVOD"),  Entry("DOC", "W6BN", "MSWD"),
    Entry("EXE", "DEXE", "CWIE"), Entry("FLC", "FLI ", "TVOD"), Entry("FLI", "FLI ", "TVOD"),
    Entry("FPX", "FPix", "TVOD"), Entry("GIF", "GIFf", "GKON"), Entry("VBM", "VNbm", "VNLC"),
    Entry("VNZ", "VNNZ", "VNLC"), Entry("VPF", "VNft", "VNLC"), Entry("JPG", "JPEG", "GKON"),
    Entry("KAR", "MiDi", "TVOD"), Entry("MID", "MiDi", "TVOD"), Entry("SMF", "MiDi", "TVOD"),
    Entry("MAC", "PNTG", "TVOD"), Entry("PNT", "PNTG", "TVOD"), Entry("MOV", "MooV", "TVOD"),
    Entry("QT", "MooV", "TVOD"),  Entry("MP2", "MPEG", "TVOD"), Entry("MPA", "MPEG", "TVOD"),
    Entry("MPG", "MPEG", "TVOD"), Entry("MP3", "MP3 ", "MAmp"), Entry("PCT", "PICT", "GKON"),
    Entry("PNG", "PNGf", "TVOD"), Entry("PSD", "8BPS", "TVOD"), Entry("RA", "RAE ", "REAL"),
    Entry("RAE", "RAE ", "REAL"), Entry("RAM", "RAE ", "REAL"), Entry("RM", "RAE ", "REAL"),
    Entry("SD2", "Sd2f", "TVOD"), Entry("SGI", "SGI ", "TVOD"), Entry("SIT", "SITD", "SIT!"),
    Entry("SWF", "SWFL", "SWF2"), Entry("TGA", "TPIC", "TVOD"), Entry("TIF", "TIFF", "GKON"),
    Entry("TXT", "TEXT", "ttxt"), Entry("WAV", "WAVE", "TVOD"), Entry("ZIP", "ZIP ", "ZIP "),
};

constexpr TypeAndCreator kUnknownFile = {MakeFourCharCode("BINA"), MakeFourCharCode("dosa")};

char AsciiUpper(char ch) {
  return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
}

}  // namespace

TypeAndCreator TypeAndCreatorForName(std::string_view name) {
  const size_t separator = name.find_last_of("\\/");
  if (separator != std::string_view::npos) name.remove_prefix(separator + 1);
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return kUnknownFile;
  const std::string_view extension = name.substr(dot + 1);
  if (extension.empty() || extension.size() > kMaxExtensionLength) return kUnknownFile;

  std::string upper;
  for (const char ch : extension) upper += AsciiUpper(ch);
  for (const TypeEntry& entry : kTypeTable) {
    if (entry.extension == upper) return {entry.type, entry.creator};
  }
  return kUnknownFile;
}

}  // namespace vantrel
