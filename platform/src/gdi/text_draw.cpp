// DrawTextA: text laid out in a rectangle: line breaks, word wrapping, alignment, mnemonic
// prefixes, tab expansion, and the measuring-only DT_CALCRECT.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "core/trace.h"
#include "gdi/font.h"
#include "gdi/gdi_objects.h"

namespace {

using plat::gdi::FontFace;

constexpr size_t kNone = static_cast<size_t>(-1);

struct Layout {
  FontFace* face;
  bool expandTabs;
  int64_t tabWidth;

  // Width of text[b, e) drawn as one line starting at a tab stop.
  int64_t Width(const std::string& text, size_t b, size_t e) const {
    int64_t x = 0;
    for (size_t i = b; i < e; ++i) {
      if (expandTabs && text[i] == '\t') {
        x = (x / tabWidth + 1) * tabWidth;
      } else {
        x += face->Advance(static_cast<uint8_t>(text[i]));
      }
    }
    return x;
  }
};

struct Line {
  size_t begin;
  size_t end;
  int64_t width;
};

// Removes mnemonic prefixes: "&x" shows x underlined, "&&" shows one ampersand. Returns the
// shown text and the index in it of the underlined character (the last one marked), or kNone.
std::string StripPrefixes(const char* text, size_t count, size_t* underlined) {
  std::string out;
  out.reserve(count);
  *underlined = kNone;
  for (size_t i = 0; i < count; ++i) {
    if (text[i] == '&') {
      if (i + 1 >= count) break;  // a lone trailing prefix shows nothing
      ++i;
      if (text[i] != '&') *underlined = out.size();
    }
    out.push_back(text[i]);
  }
  return out;
}

// Greedy word wrapping of one paragraph: lines break after runs of spaces, the spaces at a break
// are dropped, and a word wider than the rectangle stays whole on its own line.
void WrapParagraph(const Layout& layout, const std::string& s, size_t b, size_t e, int64_t maxWidth,
                   std::vector<Line>* lines) {
  size_t pos = b;
  while (pos < e) {
    size_t end = pos;
    bool first = true;
    while (end < e) {
      size_t next = end;
      while (next < e && s[next] == ' ') ++next;
      while (next < e && s[next] != ' ') ++next;
      size_t trimmed = next;
      while (trimmed > pos && s[trimmed - 1] == ' ') --trimmed;
      if (!first && layout.Width(s, pos, trimmed) > maxWidth) break;
      end = next;
      first = false;
    }
    size_t trimmed = end;
    while (trimmed > pos && s[trimmed - 1] == ' ') --trimmed;
    lines->push_back({pos, trimmed, layout.Width(s, pos, trimmed)});
    pos = end;
    while (pos < e && s[pos] == ' ') ++pos;
  }
}

LONG ClampLong(int64_t v) {
  return static_cast<LONG>(std::min<int64_t>(INT32_MAX, std::max<int64_t>(INT32_MIN, v)));
}

}  // namespace

extern "C" int WINAPI DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format) {
  QV_ENTRY_OR_RETURN("DrawTextA", plat::trace::Ptr(hdc),
                     plat::trace::Text(plat::gdi::CountedText(lpchText, cchText).c_str()),
                     plat::trace::Dec(cchText), plat::trace::Rect(lprc), plat::trace::Hex(format));
  plat::gdi::DC* dc = plat::gdi::LookupDC(hdc);
  if (!dc || !lprc) return 0;
  // A count of zero measures and draws nothing and leaves the rectangle alone.
  if (cchText == 0) return 0;
  if (cchText < -1 || cchText > plat::gdi::kMaxTextCount || (!lpchText && cchText > 0)) return 0;
  FontFace* face = plat::gdi::FaceOf(dc);
  if (!face) return 0;
  const TEXTMETRICA& tm = face->metrics;
  const int64_t lineHeight =
      tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
  if (cchText == -1) {
    cchText = lpchText ? static_cast<int>(strnlen(lpchText, plat::gdi::kMaxTextCount + 1)) : 0;
    if (cchText > plat::gdi::kMaxTextCount) return 0;
    if (cchText == 0) {
      // An empty string (or none) up to its terminator is one empty line: it is measured as
      // having no width, and as a line high only when single-line.
      if (format & DT_CALCRECT) {
        lprc->right = lprc->left;
        lprc->bottom = ClampLong(lprc->top + ((format & DT_SINGLELINE) ? lineHeight : 0));
      }
      return static_cast<int>(lineHeight);
    }
  }

  size_t underlined = kNone;
  std::string text = (format & DT_NOPREFIX)
                         ? std::string(lpchText ? lpchText : "", static_cast<size_t>(cchText))
                         : StripPrefixes(lpchText, static_cast<size_t>(cchText), &underlined);
  Layout layout{face, (format & DT_EXPANDTABS) != 0, std::max<int64_t>(1, 8 * tm.tmAveCharWidth)};
  const int64_t rectWidth = static_cast<int64_t>(lprc->right) - lprc->left;

  std::vector<Line> lines;
  if (format & DT_SINGLELINE) {
    if (!text.empty()) lines.push_back({0, text.size(), layout.Width(text, 0, text.size())});
  } else {
    size_t pos = 0;
    while (pos < text.size()) {
      size_t end = pos;
      while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
      if (format & DT_WORDBREAK) {
        size_t before = lines.size();
        WrapParagraph(layout, text, pos, end, rectWidth, &lines);
        if (lines.size() == before) lines.push_back({pos, pos, 0});  // an empty paragraph
      } else {
        lines.push_back({pos, end, layout.Width(text, pos, end)});
      }
      // "\r\n" is one break, as are a lone "\r" and a lone "\n".
      if (end < text.size() && text[end] == '\r' && end + 1 < text.size() &&
          text[end + 1] == '\n') {
        ++end;
      }
      pos = end + 1;
    }
  }

  const int64_t total = lineHeight * static_cast<int64_t>(lines.size());
  if (format & DT_CALCRECT) {
    int64_t widest = 0;
    for (const Line& l : lines) widest = std::max(widest, l.width);
    lprc->right = ClampLong(lprc->left + widest);
    lprc->bottom = ClampLong(lprc->top + total);
    return static_cast<int>(std::min<int64_t>(INT_MAX, total));
  }

  int64_t top = lprc->top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) {
      top = lprc->top + (static_cast<int64_t>(lprc->bottom) - lprc->top - lineHeight) / 2;
    } else if (format & DT_BOTTOM) {
      top = lprc->bottom - lineHeight;
    }
  }

  plat::gdi::TextCanvas canvas;
  if (!lines.empty() &&
      plat::gdi::PrepareCanvas(dc, (format & DT_NOCLIP) ? nullptr : lprc, &canvas)) {
    int64_t y = top;
    for (const Line& l : lines) {
      int64_t x = lprc->left;
      if (format & DT_CENTER) {
        x = lprc->left + (rectWidth - l.width) / 2;
      } else if (format & DT_RIGHT) {
        x = lprc->right - l.width;
      }
      // Lines wholly outside the clip are skipped; this also keeps positions in range.
      if (y + lineHeight > canvas.clip.top && y < canvas.clip.bottom && x < canvas.clip.right &&
          x + l.width > canvas.clip.left) {
        if (dc->bkMode == OPAQUE) {
          RECT cell = {ClampLong(x), ClampLong(y), ClampLong(x + l.width),
                       ClampLong(y + lineHeight)};
          plat::gdi::FillCanvas(canvas, cell, canvas.backgroundRaw);
        }
        // Draw the line piece by piece between tabs, each piece at its tab stop.
        size_t pieceStart = l.begin;
        for (size_t i = l.begin; i <= l.end; ++i) {
          bool tab = i < l.end && layout.expandTabs && text[i] == '\t';
          if (i == l.end || tab) {
            int64_t px = x + layout.Width(text, l.begin, pieceStart);
            if (px > INT_MIN / 2 && px < INT_MAX / 2) {
              plat::gdi::DrawGlyphs(canvas, face, static_cast<int>(px), static_cast<int>(y),
                                    text.data() + pieceStart, i - pieceStart);
            }
            pieceStart = i + 1;
          }
        }
        if (underlined != kNone && underlined >= l.begin && underlined < l.end) {
          int64_t ux = x + layout.Width(text, l.begin, underlined);
          int64_t baseline = y + tm.tmAscent + face->underlineOffset;
          RECT mark = {ClampLong(ux), ClampLong(baseline),
                       ClampLong(ux + face->Advance(static_cast<uint8_t>(text[underlined]))),
                       ClampLong(baseline + face->underlineThickness)};
          plat::gdi::FillCanvas(canvas, mark, canvas.textRaw);
        }
      }
      y += lineHeight;
    }
  }
  // The height of the text, counted from the rectangle's top.
  return static_cast<int>(
      std::min<int64_t>(INT_MAX, std::max<int64_t>(0, top + total - lprc->top)));
}
