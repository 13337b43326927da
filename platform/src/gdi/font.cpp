// Fonts through FreeType, found by gdi/font_lookup.h, measured the way GDI measures TrueType fonts:
// the cell is the face's Windows ascent plus descent (the OS/2 usWinAscent and usWinDescent), a
// positive LOGFONTA height asks for that cell, a negative one for the em square.
#include "gdi/font.h"
#include "gdi/font_lookup.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

namespace plat::gdi {

namespace {

// Rendered glyphs of faces no font uses any more that are kept for a later font of the same face.
constexpr size_t kMaxUnusedGlyphBytes = 16u << 20;

FT_Library Library() {
  // Kept for the life of the process: fonts held by stock objects and device contexts may be
  // released during static destruction, after any library teardown would have run.
  static FT_Library library = [] {
    FT_Library lib = nullptr;
    return FT_Init_FreeType(&lib) == 0 ? lib : nullptr;
  }();
  return library;
}

int64_t RoundDiv(int64_t a, int64_t b) {
  if (b == 0) return 0;
  if (b < 0) a = -a, b = -b;
  return a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b);
}

enum class Generic { Sans, Serif, Mono };

const char* PreferredFamily(Generic g) {
  switch (g) {
    case Generic::Serif:
      return "Liberation Serif";
    case Generic::Mono:
      return "Liberation Mono";
    default:
      return "Liberation Sans";
  }
}

const char* GenericFamily(Generic g) {
  switch (g) {
    case Generic::Serif:
      return "serif";
    case Generic::Mono:
      return "monospace";
    default:
      return "sans-serif";
  }
}

// Windows face names that programs ask for, mapped to the metric-compatible faces that stand in
// for them.
bool AliasFor(const std::string& name, Generic* g) {
  static const struct {
    const char* name;
    Generic generic;
  } kAliases[] = {
      {"arial", Generic::Sans},          {"helvetica", Generic::Sans},
      {"ms sans serif", Generic::Sans},  {"microsoft sans serif", Generic::Sans},
      {"ms shell dlg", Generic::Sans},   {"ms shell dlg 2", Generic::Sans},
      {"system", Generic::Sans},         {"times new roman", Generic::Serif},
      {"times", Generic::Serif},         {"ms serif", Generic::Serif},
      {"courier", Generic::Mono},        {"courier new", Generic::Mono},
      {"fixedsys", Generic::Mono},       {"terminal", Generic::Mono},
      {"lucida console", Generic::Mono},
  };
  for (const auto& a : kAliases) {
    if (name == a.name) {
      *g = a.generic;
      return true;
    }
  }
  return false;
}

// Where the face name says nothing, the pitch and family bits choose the kind of face.
Generic GenericFromPitchAndFamily(BYTE pitchAndFamily) {
  if ((pitchAndFamily & 0xF0) == FF_ROMAN) return Generic::Serif;
  if ((pitchAndFamily & 0xF0) == FF_MODERN || (pitchAndFamily & 0x03) == FIXED_PITCH) {
    return Generic::Mono;
  }
  return Generic::Sans;
}

// The face a LOGFONTA's name, weight and slant come to; the answers are kept, as a lookup
// through fontconfig takes far longer than drawing a line of text.
Match Resolve(const LOGFONTA& log) {
  std::string name = FaceNameKey(log.lfFaceName, LF_FACESIZE);
  bool bold = log.lfWeight >= FW_BOLD;
  bool italic = log.lfItalic != 0;
  std::string key = name + '\n' + char('0' + bold) + char('0' + italic) +
                    char('0' + static_cast<int>(GenericFromPitchAndFamily(log.lfPitchAndFamily)));
  static auto* cache = new std::map<std::string, Match>();
  auto it = cache->find(key);
  if (it != cache->end()) return it->second;

  Match m;
  Generic generic;
  if (AliasFor(name, &generic)) {
    m = FindFace(PreferredFamily(generic), bold, italic, false);
  } else {
    generic = GenericFromPitchAndFamily(log.lfPitchAndFamily);
    if (!name.empty()) m = FindFace(name, bold, italic, true);
    if (!m.ok) m = FindFace(PreferredFamily(generic), bold, italic, false);
  }
  if (!m.ok) m = FindFace(GenericFamily(generic), bold, italic, false);
  (*cache)[key] = m;
  return m;
}

// What a face file says about its size, in font units.
struct FileMetrics {
  bool ok = false;
  int unitsPerEm = 2048;
  int winAscent = 0;
  int winDescent = 0;
  int avgCharWidth = 0;
  int maxAdvance = 0;
  int hheaAscent = 0;
  int hheaDescent = 0;  // positive below the baseline
  int lineGap = 0;
  int weightClass = FW_NORMAL;
  bool fixedPitch = false;
  int underlinePosition = 0;  // negative below the baseline
  int underlineThickness = 0;
  int strikeoutPosition = 0;
  int strikeoutSize = 0;
};

FileMetrics ReadMetrics(FT_Face face) {
  FileMetrics m;
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return m;
  m.ok = true;
  m.unitsPerEm = face->units_per_EM;
  m.hheaAscent = face->ascender;
  m.hheaDescent = -face->descender;
  m.lineGap = std::max(0, face->height - (face->ascender - face->descender));
  m.maxAdvance = face->max_advance_width;
  m.fixedPitch = FT_IS_FIXED_WIDTH(face);
  m.underlinePosition = face->underline_position;
  m.underlineThickness = face->underline_thickness;
  const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const TT_HoriHeader* hhea =
      static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  if (hhea) m.lineGap = std::max<int>(0, hhea->Line_Gap);
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    m.winAscent = os2->usWinAscent;
    m.winDescent = os2->usWinDescent;
    m.avgCharWidth = os2->xAvgCharWidth;
    m.weightClass = os2->usWeightClass;
    m.strikeoutPosition = os2->yStrikeoutPosition;
    m.strikeoutSize = os2->yStrikeoutSize;
  } else {
    m.winAscent = std::max(1, m.hheaAscent);
    m.winDescent = std::max(0, m.hheaDescent);
  }
  if (m.avgCharWidth <= 0) m.avgCharWidth = std::max(1, m.unitsPerEm / 2);
  if (m.strikeoutPosition <= 0) m.strikeoutPosition = m.unitsPerEm / 4;
  if (m.strikeoutSize <= 0) m.strikeoutSize = m.unitsPerEm / 20;
  if (m.underlineThickness <= 0) m.underlineThickness = m.unitsPerEm / 20;
  if (face->style_flags & FT_STYLE_FLAG_BOLD) m.weightClass = std::max(m.weightClass, FW_BOLD);
  return m;
}

// Metrics per face file, read once.
const FileMetrics& MetricsOf(const std::string& file, int index) {
  static auto* cache = new std::map<std::string, FileMetrics>();
  std::string key = file + '#' + std::to_string(index);
  auto it = cache->find(key);
  if (it != cache->end()) return it->second;
  FileMetrics m;
  FT_Face face = nullptr;
  if (Library() && FT_New_Face(Library(), file.c_str(), index, &face) == 0) {
    m = ReadMetrics(face);
    FT_Done_Face(face);
  }
  return (*cache)[key] = m;
}

int Clamp(int64_t v, int lo, int hi) {
  return static_cast<int>(std::min<int64_t>(hi, std::max<int64_t>(lo, v)));
}

bool IsHardEdged(BYTE quality) {
  return quality != ANTIALIASED_QUALITY && quality != CLEARTYPE_QUALITY;
}

// The pixel size a LOGFONTA asks of a face: the em in pixels, the cell above and below the
// baseline, the horizontal scale in 26.6 units and the average character width.
struct FaceSize {
  int ppem = 0;
  int ascent = 0;
  int descent = 0;
  int64_t xSize26 = 0;
  int average = 0;
};

FaceSize SizeFor(const LOGFONTA& log, const FileMetrics& fm) {
  FaceSize size;
  // Vertical size: the cell (positive height) or the em square (negative height).
  const int64_t upem = fm.unitsPerEm;
  const int64_t cellUnits = fm.winAscent + fm.winDescent;
  int64_t height = log.lfHeight;
  if (height == 0) height = 16;
  if (height > 0) {
    int cell = Clamp(height, 1, kMaxFontPixels);
    size.ppem = Clamp(RoundDiv(cell * upem, cellUnits), 1, kMaxFontPixels);
    // A rounded-up em whose cell would outgrow the asked height is one pixel smaller.
    if (size.ppem > 1 && RoundDiv(cellUnits * size.ppem, upem) > cell) --size.ppem;
    size.ascent = Clamp(RoundDiv(cell * fm.winAscent, cellUnits), 0, cell);
    size.descent = cell - size.ascent;
  } else {
    size.ppem = Clamp(-height, 1, kMaxFontPixels);
    size.ascent = static_cast<int>(RoundDiv(fm.winAscent * size.ppem, upem));
    size.descent = static_cast<int>(RoundDiv(fm.winDescent * size.ppem, upem));
    if (size.ascent + size.descent < 1) size.ascent = 1;
  }

  // Horizontal size: natural, or stretched so that the average character is lfWidth wide.
  int64_t width = log.lfWidth < 0 ? -static_cast<int64_t>(log.lfWidth) : log.lfWidth;
  size.average = std::max(1, static_cast<int>(RoundDiv(fm.avgCharWidth * size.ppem, upem)));
  size.xSize26 = static_cast<int64_t>(size.ppem) * 64;
  if (width != 0) {
    size.average = Clamp(width, 1, kMaxFontPixels);
    size.xSize26 =
        Clamp(RoundDiv(size.average * upem * 64, fm.avgCharWidth), 64, kMaxFontPixels * 64);
  }
  return size;
}

// How a face is drawn: bold or slanted by GDI when the file itself is not, hard-edged or
// smoothed.
struct FaceStyle {
  bool wantBold = false;
  bool syntheticBold = false;
  bool syntheticItalic = false;
  bool mono = true;
};

FaceStyle StyleFor(const LOGFONTA& log, const Match& match) {
  FaceStyle style;
  style.wantBold = log.lfWeight >= FW_BOLD;
  style.syntheticBold = style.wantBold && !match.bold;
  style.syntheticItalic = log.lfItalic && !match.italic;
  style.mono = IsHardEdged(log.lfQuality);
  return style;
}

// Fonts that come to the same file, size and style share one face.
std::string FaceKey(const LOGFONTA& log, const Match& match, const FaceSize& size,
                    const FaceStyle& style) {
  return match.file + '#' + std::to_string(match.index) + '/' + std::to_string(size.ppem) + 'x' +
         std::to_string(size.xSize26) + '/' + std::to_string(size.ascent) + '+' +
         std::to_string(size.descent) + '/' + char('0' + style.mono) +
         char('0' + style.syntheticBold) + char('0' + style.syntheticItalic) +
         char('0' + (log.lfUnderline != 0)) + char('0' + (log.lfStrikeOut != 0)) + '/' +
         std::to_string(size.average);
}

// The face file opened by FreeType at the size, slanted when GDI slants it. Null when FreeType
// cannot open or scale it.
std::shared_ptr<FontFace> OpenScaledFace(const Match& match, const FaceSize& size,
                                         const FaceStyle& style) {
  auto face = std::make_shared<FontFace>();
  if (FT_New_Face(Library(), match.file.c_str(), match.index, &face->ft) != 0) {
    face->ft = nullptr;
    return nullptr;
  }
  if (FT_Set_Char_Size(face->ft, static_cast<FT_F26Dot6>(size.xSize26),
                       static_cast<FT_F26Dot6>(size.ppem) * 64, 72, 72) != 0) {
    return nullptr;
  }
  if (style.syntheticItalic) {
    FT_Matrix shear = {0x10000, 0x0366A, 0, 0x10000};  // about 12 degrees
    FT_Set_Transform(face->ft, &shear, nullptr);
  }
  face->file = match.file;
  face->index = match.index;
  face->family = match.family;
  face->mono = style.mono;
  face->syntheticBold = style.syntheticBold;
  face->syntheticItalic = style.syntheticItalic;
  face->pixelsPerEm = size.ppem;
  face->loadFlags = style.mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL;
  return face;
}

// The TEXTMETRICA GDI reports for the face at its size.
void FillTextMetrics(const LOGFONTA& log, const Match& match, const FileMetrics& fm,
                     const FaceSize& size, const FaceStyle& style, TEXTMETRICA* out) {
  const int64_t upem = fm.unitsPerEm;
  const int64_t cellUnits = fm.winAscent + fm.winDescent;
  TEXTMETRICA& tm = *out;
  tm.tmAscent = size.ascent;
  tm.tmDescent = size.descent;
  tm.tmHeight = size.ascent + size.descent;
  tm.tmInternalLeading = std::max(0, tm.tmHeight - size.ppem);
  int64_t extraGap = fm.lineGap - (cellUnits - (fm.hheaAscent + fm.hheaDescent));
  tm.tmExternalLeading =
      static_cast<LONG>(std::max<int64_t>(0, RoundDiv(extraGap * size.ppem, upem)));
  tm.tmAveCharWidth = size.average;
  tm.tmMaxCharWidth =
      static_cast<LONG>(std::max<int64_t>(1, RoundDiv(fm.maxAdvance * size.xSize26, upem * 64)) +
                        (style.syntheticBold ? 1 : 0));
  tm.tmWeight = style.wantBold ? std::max(fm.weightClass, FW_BOLD) : fm.weightClass;
  tm.tmOverhang = 0;
  tm.tmDigitizedAspectX = 96;
  tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = 0x20;
  tm.tmLastChar = 0xFF;
  tm.tmDefaultChar = 0x1F;
  tm.tmBreakChar = 0x20;
  tm.tmItalic = log.lfItalic ? 0xFF : 0;
  tm.tmUnderlined = log.lfUnderline ? 0xFF : 0;
  tm.tmStruckOut = log.lfStrikeOut ? 0xFF : 0;
  // TMPF_FIXED_PITCH set means a variable-pitch font; TMPF_VECTOR and TMPF_TRUETYPE follow.
  std::string familyName = FaceNameKey(match.family.c_str(), match.family.size());
  BYTE family = FF_SWISS;
  if (fm.fixedPitch) {
    family = FF_MODERN;
  } else if (familyName.find("serif") != std::string::npos &&
             familyName.find("sans") == std::string::npos) {
    family = FF_ROMAN;
  }
  tm.tmPitchAndFamily = static_cast<BYTE>(family | 0x06 | (fm.fixedPitch ? 0 : 0x01));
  tm.tmCharSet = ANSI_CHARSET;
}

// Where the underline and the strike-out line go, at least a pixel thick.
void PlaceLines(const FileMetrics& fm, int ppem, FontFace* face) {
  const int64_t upem = fm.unitsPerEm;
  face->underlineOffset =
      std::max(1, static_cast<int>(RoundDiv(-fm.underlinePosition * ppem, upem)));
  face->underlineThickness =
      std::max(1, static_cast<int>(RoundDiv(fm.underlineThickness * ppem, upem)));
  face->strikeoutOffset =
      std::max(1, static_cast<int>(RoundDiv(fm.strikeoutPosition * ppem, upem)));
  face->strikeoutThickness = std::max(1, static_cast<int>(RoundDiv(fm.strikeoutSize * ppem, upem)));
}

using FaceCache = std::map<std::string, std::shared_ptr<FontFace>>;

// Faces no font refers to any more are dropped once the cache grows, or once their glyphs take
// much memory (a face of 1000 pixels renders tens of MB); the ones in use stay.
void DropUnusedFaces(FaceCache* cache) {
  size_t unusedGlyphBytes = 0;
  for (const auto& entry : *cache) {
    if (entry.second.use_count() == 1) unusedGlyphBytes += entry.second->GlyphBytes();
  }
  if (cache->size() >= 64 || unusedGlyphBytes > kMaxUnusedGlyphBytes) {
    for (auto i = cache->begin(); i != cache->end();) {
      i = i->second.use_count() == 1 ? cache->erase(i) : std::next(i);
    }
  }
}

}  // namespace

std::string FaceNameKey(const char* s, size_t n) {
  std::string out;
  for (size_t i = 0; i < n && s[i]; ++i) {
    out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(s[i]))));
  }
  // Surrounding blanks are not part of a face name.
  size_t b = out.find_first_not_of(' ');
  if (b == std::string::npos) return std::string();
  size_t e = out.find_last_not_of(' ');
  return out.substr(b, e - b + 1);
}

FontFace::~FontFace() {
  if (ft) FT_Done_Face(ft);
}

uint32_t AnsiToUnicode(uint8_t code) {
  static const uint16_t k80to9F[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  if (code >= 0x80 && code <= 0x9F) return k80to9F[code - 0x80];
  return code;
}

size_t FontFace::GlyphBytes() const {
  size_t bytes = 0;
  for (const GlyphImage& glyph : glyphs_) bytes += glyph.coverage.size();
  return bytes;
}

const GlyphImage& FontFace::Glyph(uint8_t code) {
  GlyphImage& g = glyphs_[code];
  if (g.loaded) return g;
  g.loaded = true;
  if (fixedAdvances) g.advance = fixedAdvances[code];
  if (!ft) return g;

  // A character the face lacks is drawn as its .notdef glyph (index 0).
  FT_UInt index = FT_Get_Char_Index(ft, AnsiToUnicode(code));
  if (FT_Load_Glyph(ft, index, loadFlags) != 0) {
    if (index == 0 || FT_Load_Glyph(ft, 0, loadFlags) != 0) return g;
  }
  FT_GlyphSlot slot = ft->glyph;
  FT_Pos advance = slot->advance.x;
  if (syntheticBold && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    // Bold drawn from a regular face, as GDI does it: one pixel wider strokes and advance.
    FT_Outline_EmboldenXY(&slot->outline, 64, 0);
    advance += 64;
  }
  g.advance = static_cast<int>((advance + 32) >> 6);
  int shift = 0;
  if (fixedAdvances) {
    shift = (fixedAdvances[code] - g.advance) / 2;
    g.advance = fixedAdvances[code];
  }
  if (FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return g;

  const FT_Bitmap& bm = slot->bitmap;
  if (bm.width == 0 || bm.rows == 0 || !bm.buffer) return g;
  if (bm.pixel_mode != FT_PIXEL_MODE_MONO && bm.pixel_mode != FT_PIXEL_MODE_GRAY) return g;
  g.left = slot->bitmap_left + shift;
  g.top = slot->bitmap_top;
  g.width = static_cast<int>(bm.width);
  g.rows = static_cast<int>(bm.rows);
  g.coverage.assign(static_cast<size_t>(g.width) * g.rows, 0);
  const int pitch = bm.pitch < 0 ? -bm.pitch : bm.pitch;
  for (int y = 0; y < g.rows; ++y) {
    // A negative pitch stores the rows bottom-up.
    const uint8_t* src =
        bm.buffer + static_cast<ptrdiff_t>(bm.pitch < 0 ? g.rows - 1 - y : y) * pitch;
    uint8_t* dst = &g.coverage[static_cast<size_t>(y) * g.width];
    for (int x = 0; x < g.width; ++x) {
      if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
        dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
      } else {
        int level = bm.num_grays > 1 ? src[x] * 255 / (bm.num_grays - 1) : src[x];
        dst[x] = static_cast<uint8_t>(std::min(255, level));
      }
    }
  }
  return g;
}

int64_t FontFace::Extent(const char* text, size_t count) {
  int64_t sum = 0;
  for (size_t i = 0; i < count; ++i) sum += Advance(static_cast<uint8_t>(text[i]));
  return sum;
}

std::shared_ptr<FontFace> AcquireFace(const LOGFONTA& log) {
  if (!Library()) return nullptr;
  Match match = Resolve(log);
  if (!match.ok) return nullptr;
  const FileMetrics& fm = MetricsOf(match.file, match.index);
  if (!fm.ok) return nullptr;
  const FaceSize size = SizeFor(log, fm);
  const FaceStyle style = StyleFor(log, match);

  static auto* cache = new FaceCache();
  const bool system = IsSystemFontRequest(log);
  const std::string key = FaceKey(log, match, size, style) + (system ? "/system" : "");
  auto it = cache->find(key);
  if (it != cache->end()) return it->second;
  std::shared_ptr<FontFace> face = OpenScaledFace(match, size, style);
  if (!face) return nullptr;
  FillTextMetrics(log, match, fm, size, style, &face->metrics);
  PlaceLines(fm, size.ppem, face.get());
  if (system) MakeSystemFontFace(face.get());
  DropUnusedFaces(cache);
  (*cache)[key] = face;
  return face;
}

const LOGFONTA& DefaultLogFont() {
  static const LOGFONTA log = [] {
    LOGFONTA l = {};
    l.lfHeight = 16;
    l.lfWeight = FW_BOLD;
    l.lfCharSet = ANSI_CHARSET;
    l.lfQuality = DEFAULT_QUALITY;
    l.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    std::strcpy(l.lfFaceName, "System");
    return l;
  }();
  return log;
}

FontFace* FaceOf(Font* font) {
  if (!font) {
    static auto* fallback = new std::shared_ptr<FontFace>();
    if (!*fallback) *fallback = AcquireFace(DefaultLogFont());
    return fallback->get();
  }
  if (!font->face) font->face = AcquireFace(font->log);
  return font->face.get();
}

FontFace* FaceOf(DC* dc) { return dc ? FaceOf(dc->font) : nullptr; }

}  // namespace plat::gdi
