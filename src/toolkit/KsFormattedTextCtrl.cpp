#include "toolkit/KsFormattedTextCtrl.h"

#include "toolkit/KsCanvas.h"

#include <string>

namespace {

enum class TokenKind { Word, Space, Tab, Break, BoldOn, BoldOff };

struct Token {
  TokenKind kind;
  std::u16string text;
};

bool StartsWith(std::u16string_view text, std::size_t at, std::u16string_view tag) {
  if (text.size() - at < tag.size()) return false;
  for (std::size_t i = 0; i < tag.size(); ++i) {
    char16_t c = text[at + i];
    if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
    if (c != tag[i]) return false;
  }
  return true;
}

std::vector<Token> Tokenize(std::u16string_view text) {
  std::vector<Token> tokens;
  std::u16string word;
  auto flush = [&] {
    if (!word.empty()) tokens.push_back(Token{TokenKind::Word, std::move(word)});
    word.clear();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'<') {
      struct Tag {
        std::u16string_view text;
        TokenKind kind;
      };
      static constexpr Tag kTags[] = {{u"<b>", TokenKind::BoldOn}, {u"</b>", TokenKind::BoldOff},
                                      {u"<br>", TokenKind::Break}, {u"<br/>", TokenKind::Break}};
      bool tag = false;
      for (const Tag& known : kTags) {
        if (!StartsWith(text, i, known.text)) continue;
        flush();
        tokens.push_back(Token{known.kind, {}});
        i += known.text.size() - 1;
        tag = true;
        break;
      }
      if (tag) continue;
    }
    switch (c) {
      case u'\r':
        if (i + 1 < text.size() && text[i + 1] == u'\n') continue;  // the line feed breaks
        [[fallthrough]];
      case u'\n': flush(); tokens.push_back(Token{TokenKind::Break, {}}); break;
      case u'\t': flush(); tokens.push_back(Token{TokenKind::Tab, {}}); break;
      case u' ': flush(); tokens.push_back(Token{TokenKind::Space, {}}); break;
      default: word += c;
    }
  }
  flush();
  return tokens;
}

}  // namespace

std::vector<KsFormattedTextCtrl::Run> KsFormattedTextCtrl::LayOutRuns(KsCanvas& canvas, int width, int* height) {
  std::vector<Run> runs;
  bool wasBold = canvas.IsBold();
  int lineHeight = canvas.LineHeight();
  int tabStop = 4 * std::max(1, canvas.TextWidth(u"x", 1));
  int x = 0, y = 0;
  bool bold = false, any = false;
  auto newLine = [&] {
    x = 0;
    y += lineHeight;
  };
  canvas.SetBold(false);
  KsString text = GetText();
  for (const Token& token : Tokenize(text.View())) {
    switch (token.kind) {
      case TokenKind::BoldOn: bold = true; canvas.SetBold(true); break;
      case TokenKind::BoldOff: bold = false; canvas.SetBold(false); break;
      case TokenKind::Break: newLine(); any = true; break;
      case TokenKind::Tab:
        x = (x / tabStop + 1) * tabStop;
        if (x > width) newLine();
        break;
      case TokenKind::Space:
        if (x > 0) x += canvas.TextWidth(u" ", 1);
        break;
      case TokenKind::Word: {
        std::u16string_view rest = token.text;
        while (!rest.empty()) {
          int wordWidth = canvas.TextWidth(rest.data(), int(rest.size()));
          if (x > 0 && x + wordWidth > width) newLine();
          // Cut a word wider than the whole line where it overflows.
          std::size_t fits = rest.size();
          while (fits > 1 && x + canvas.TextWidth(rest.data(), int(fits)) > width) --fits;
          runs.push_back(Run{KsString(rest.data(), int(fits)), bold, x, y});
          any = true;
          x += canvas.TextWidth(rest.data(), int(fits));
          rest.remove_prefix(fits);
          if (!rest.empty()) newLine();
        }
        break;
      }
    }
  }
  canvas.SetBold(wasBold);
  *height = any ? y + lineHeight : 0;
  return runs;
}

void KsFormattedTextCtrl::Paint(KsCanvas& canvas) {
  RECT client{};
  GetClientRect(&client);
  int height = 0;
  for (const Run& run : LayOutRuns(canvas, client.right, &height)) {
    if (run.y >= client.bottom) break;
    canvas.SetBold(run.bold);
    canvas.TextOut(run.x, run.y, run.text, run.text.GetLength());
  }
  canvas.SetBold(false);
}

KsString KsFormattedTextCtrl::GetPlainText() {
  std::u16string plain;
  KsString text = GetText();
  for (const Token& token : Tokenize(text.View())) {
    switch (token.kind) {
      case TokenKind::Word: plain += token.text; break;
      case TokenKind::Space: plain += u' '; break;
      case TokenKind::Tab: plain += u'\t'; break;
      case TokenKind::Break: plain += u'\n'; break;
      default: break;
    }
  }
  return KsString(plain.c_str(), int(plain.size()));
}
