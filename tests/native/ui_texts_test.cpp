// Prompt texts, number texts, the placement rule and the colour rule.
#include <gtest/gtest.h>

#include "ui/colors.h"
#include "ui/decimal_text.h"
#include "ui/placement.h"
#include "ui/prompt_texts.h"

namespace zq {
namespace {

TEST(PromptTextsTest, BothModesBothForms) {
  struct Case {
    PromptTexts texts;
    const char* main_instruction;
    const char* content;
    const char* message_box;
  } cases[] = {
      {StartPromptTexts(true), "Instala\xE7\xE3o Zolmar",
       "O Zolmar ser\xE1 instalado em seu computador.\r\rVoc\xEA deseja fazer isso agora?\r",
       "Instala\xE7\xE3o Zolmar\r\rO Zolmar ser\xE1 instalado em seu computador.\r\rVoc\xEA deseja fazer isso agora?"},
      {StartPromptTexts(false), "Vers\xE3o Nova Zolmar",
       "O Zolmar precisa ser atualizado para uma vers\xE3o mais nova.\r\rVoc\xEA deseja fazer a atualiza\xE7\xE3o agora?\r",
       "Vers\xE3o Nova Zolmar\r\rO Zolmar precisa ser atualizado para uma vers\xE3o mais nova.\r\r"
       "Voc\xEA deseja fazer a atualiza\xE7\xE3o agora?"},
      {CancelPromptTexts(true), "Cancelamento Instala\xE7\xE3o Zolmar", "Voc\xEA confirma o Cancelamento?\r",
       "Cancelamento Instala\xE7\xE3o Zolmar\r\rVoc\xEA confirma o Cancelamento?"},
      {CancelPromptTexts(false), "Cancelamento Vers\xE3o Nova Zolmar", "Voc\xEA confirma o Cancelamento?\r",
       "Cancelamento Vers\xE3o Nova Zolmar\r\rVoc\xEA confirma o Cancelamento?"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.texts.main_instruction, c.main_instruction);
    EXPECT_EQ(c.texts.content, c.content);
    EXPECT_EQ(c.texts.message_box, c.message_box);
  }
}

TEST(PromptTextsTest, SizeLineAndMessageBoxText) {
  EXPECT_EQ(SizeLine("11,77"), "Ser\xE1 baixado um total de 11,77 MB.");
  EXPECT_DOUBLE_EQ(DownloadMegabytes(12345678), 12345678 / 1048576.0);
  EXPECT_EQ(StartMessageBoxText(false, "X"), StartPromptTexts(false).message_box + "\r\rX");
  EXPECT_EQ(FooterLink(), "<a href=\"https://www.zolmar.com.br/\">Zolmar Sistemas</a>");
  EXPECT_STREQ(kStartDialogTitle, "Informa\xE7\xE3o");
  EXPECT_STREQ(kConfirmCaption, "Confirma\xE7\xE3o");
  EXPECT_STREQ(kCollapsedText, "Mais informa\xE7\xF5" "es");
  EXPECT_STREQ(kExpandedText, "Menos informa\xE7\xF5" "es");
}

TEST(DecimalTextTest, RoundsToTwoDecimalsHalfAwayFromZero) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {0, "0.00"},           {1234.5, "1234.50"},   {12345678 / 1048576.0, "11.77"},
      {0.125, "0.13"},       {0.005, "0.01"},        {2.675, "2.68"},  // 15 digits make these true halves
      {-1.005, "-1.01"},     {-0.001, "0.00"},       {999.995, "1000.00"},
      {1.17187500, "1.17"},  {123456789012.345, "123456789012.35"},   {1e-7, "0.00"},
      {99.994999, "99.99"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecimalText(c.value, 2), c.text) << c.value;
}

TEST(PlacementTest, CentredWithAndWithoutTheHint) {
  struct Case {
    int32_t screen_w, screen_h, w, h;
    const char* hint;
    int32_t taskbar;
    int32_t left, top;
  } cases[] = {
      {1280, 1024, 408, 247, "", 40, 436, 388},
      {1280, 1024, 408, 247, kHintForceTopW7, 40, 436, 353},   // (1024 - 40 - 30 - 247) / 2
      {1280, 1024, 408, 247, kHintForceTopW7, 0, 436, 373},    // no taskbar: still 30 less
      {1280, 1024, 408, 247, kHintForceTopW7, 1024, 436, 0},   // bar at a side edge: floor 0
      {1281, 1025, 408, 248, "", 0, 436, 388},                 // halves truncate
      {300, 200, 408, 247, "", 0, 0, 0},                       // larger than the screen
      {1280, 1024, 408, 247, "other", 40, 436, 388},
  };
  for (const Case& c : cases) {
    const ScreenPoint at = CentredPlacement(c.screen_w, c.screen_h, c.w, c.h, c.hint, c.taskbar);
    EXPECT_EQ(at.left, c.left);
    EXPECT_EQ(at.top, c.top) << c.hint << " " << c.taskbar;
  }
}

TEST(ColorRuleTest, TagKeepsTheSystemButtonFace) {
  EXPECT_EQ(EffectiveColor(kKeepSystemFaceTag, clBtnFace), clBtnFace);
  EXPECT_EQ(EffectiveColor(0, clBtnFace), kFaceTint);
  EXPECT_EQ(EffectiveColor(0, clWhite), clWhite);
  EXPECT_EQ(static_cast<int32_t>(kKeepSystemFaceTag), -77221177);
}

}  // namespace
}  // namespace zq
