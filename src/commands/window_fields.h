// The window's fields by name, with their initial texts and captions: the one
// table that both front ends name them from (the batch tool's options and its
// dry run carry the window's captions).
#pragma once

#include <QString>

namespace pelmora {

enum class Field {
  Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8, Text9, Text10, Text11, Text12,
  Label9,
};

inline bool isCornerField(Field f) {
  return f == Field::Text1 || f == Field::Text2 || f == Field::Text3 || f == Field::Text4;
}

// The text each field holds when the window opens.
QString initialText(Field field);
// The caption of the label beside the field ("右上X", "JPG画質", ...); empty for
// fields without one.
QString captionOf(Field field);

// The window's command buttons, Command1 to Command3.
enum class Command { Load, Run, ShowGrid };
// The caption of its button, the command's name in every language.
QString captionOf(Command command);

// "Ｘ：Ｙ＝ 1 : " followed by `ratio` in plain text.
QString aspectCaption(double ratio);
// W_DY / W_DX rounded half up to two decimals; throws Failure on a zero W_DX
// or an overflow.
double roundedAspectRatio(double W_DX, double W_DY);

}  // namespace pelmora
