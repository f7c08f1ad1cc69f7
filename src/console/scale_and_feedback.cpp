// The operator's choice of full scale, and closing the feedback box.

#include <array>

#include "console/read_write.h"
#include "console/scale.h"
#include "state/process_image.h"

namespace {

// What the scale label says for each item of the list (the list itself says "100.0" etc.).
constexpr std::array<const char*, 3> kScaleCaptions = {"100", "20,0", "5,0"};

}  // namespace

void TForm1::Shkala3Click() { ListBox1->Show(); }

void TForm1::ListBox1Click() {
    const int item = ListBox1->ItemIndex();
    if (item >= 0 && item < static_cast<int>(kScaleCaptions.size())) Shkala->SetCaption(kScaleCaptions[item]);
    ListBox1->Hide();
    // The captions read the same under any decimal separator; a text that is no number leaves
    // the scale as it was.
    if (const auto scale = console::ScaleFromCaption(Shkala->Caption())) ProcessImage.Scale = *scale;
}

void TForm1::GroupBox6Click() { ProcessImage.FeedbackPanel = 0; }

void TForm1::Image3Click() { ProcessImage.FeedbackPanel = 0; }
