#pragma once
// The main window "Тест контроллеров Ремиконт Р-130": the operator's console for the one
// controller in service. Its creation runs discovery; its four timers poll and display.
//
// Every control is a public member under its own name. Families (the eight input labels of a
// row, the four loops) live in arrays so that handlers run over them; the named members are
// references into those arrays, filled by the layout.

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "console/loop_controls.h"
#include "platform/vcl/forms.h"
#include "protocol/decoder_windows.h"
#include "trace/exchange_trace.h"

namespace console {
struct EditorRow;  // one editor of a loop parameter, with its constants
struct SwitchRow;  // one loop's switching command, with its constants
}  // namespace console

class TForm1 : public vcl::TForm {
public:
    explicit TForm1(vcl::TApplication& app);

    // Top strip
    vcl::TButton* Button1 = nullptr;
    vcl::TGroupBox* GroupBox7 = nullptr;  // "Прием"
    vcl::TImage* PriemZ = nullptr;
    vcl::TImage* PriemK = nullptr;
    vcl::TGroupBox* GroupBox9 = nullptr;  // "Передача"
    vcl::TImage* PeredZ = nullptr;
    vcl::TImage* PeredK = nullptr;
    vcl::TLabel* Lab18 = nullptr;
    vcl::TLabel* Lab1 = nullptr;          // the controller number
    vcl::TGroupBox* GroupBox3 = nullptr;  // "Шкала"
    vcl::TLabel* Shkala = nullptr;
    vcl::TListBox* ListBox1 = nullptr;
    vcl::TRxGIFAnimator* RxGIFAnimator2 = nullptr;

    // Group A inputs 1 to 8 (GroupBox11), group B inputs 1 to 8 (GroupBox14) and 9 to 16
    // (GroupBox4); index 0 is input 1.
    vcl::TGroupBox* GroupBox11 = nullptr;
    std::array<vcl::TLabel*, 8> InputALabels{};
    vcl::TGroupBox* GroupBox14 = nullptr;
    vcl::TGroupBox* GroupBox4 = nullptr;
    std::array<vcl::TLabel*, 16> InputBLabels{};
    vcl::TLabel*& TIT1 = InputALabels[0];
    vcl::TLabel*& TIT2 = InputALabels[1];
    vcl::TLabel*& TIT3 = InputALabels[2];
    vcl::TLabel*& TIT4 = InputALabels[3];
    vcl::TLabel*& TIT5 = InputALabels[4];
    vcl::TLabel*& TIT6 = InputALabels[5];
    vcl::TLabel*& TIT7 = InputALabels[6];
    vcl::TLabel*& TIT8 = InputALabels[7];
    vcl::TLabel*& TC1 = InputBLabels[0];
    vcl::TLabel*& TC2 = InputBLabels[1];
    vcl::TLabel*& TC3 = InputBLabels[2];
    vcl::TLabel*& TC4 = InputBLabels[3];
    vcl::TLabel*& TC5 = InputBLabels[4];
    vcl::TLabel*& TC6 = InputBLabels[5];
    vcl::TLabel*& TC7 = InputBLabels[6];
    vcl::TLabel*& TC8 = InputBLabels[7];
    vcl::TLabel*& TC9 = InputBLabels[8];
    vcl::TLabel*& TC10 = InputBLabels[9];
    vcl::TLabel*& TC11 = InputBLabels[10];
    vcl::TLabel*& TC12 = InputBLabels[11];
    vcl::TLabel*& TC13 = InputBLabels[12];
    vcl::TLabel*& TC14 = InputBLabels[13];
    vcl::TLabel*& TC15 = InputBLabels[14];
    vcl::TLabel*& TC16 = InputBLabels[15];

    // The feedback box " Отзывы и пожелания ", over the place of GroupBox4.
    vcl::TGroupBox* GroupBox6 = nullptr;
    vcl::TImage* Image3 = nullptr;

    // The four control loops; index 0 is loop 1.
    std::array<console::LoopControls, 4> Loops{};

    vcl::TRxGIFAnimator*& Kontur1_Dispetch = Loops[0].Dispetch;
    vcl::TRxGIFAnimator*& Kontur2_Dispetch = Loops[1].Dispetch;
    vcl::TRxGIFAnimator*& Kontur3_Dispetch = Loops[2].Dispetch;
    vcl::TRxGIFAnimator*& Kontur4_Dispetch = Loops[3].Dispetch;
    vcl::TRxGIFAnimator*& Kontur1_Mestn = Loops[0].Mestn;
    vcl::TRxGIFAnimator*& Kontur2_Mestn = Loops[1].Mestn;
    vcl::TRxGIFAnimator*& Kontur3_Mestn = Loops[2].Mestn;
    vcl::TRxGIFAnimator*& Kontur4_Mestn = Loops[3].Mestn;

    // Setpoint editors "Задание"
    vcl::TGroupBox*& Zadanie1 = Loops[0].setpoint.box;
    vcl::TGroupBox*& Zadanie2 = Loops[1].setpoint.box;
    vcl::TGroupBox*& Zadanie3 = Loops[2].setpoint.box;
    vcl::TGroupBox*& Zadanie4 = Loops[3].setpoint.box;
    vcl::TLabel*& nastr_koff1 = Loops[0].setpoint.preview;
    vcl::TLabel*& nastr_koff2 = Loops[1].setpoint.preview;
    vcl::TLabel*& nastr_koff3 = Loops[2].setpoint.preview;
    vcl::TLabel*& nastr_koff4 = Loops[3].setpoint.preview;
    vcl::TCSpinEdit*& CS_koff1 = Loops[0].setpoint.spin;
    vcl::TCSpinEdit*& CS_koff2 = Loops[1].setpoint.spin;
    vcl::TCSpinEdit*& CS_koff3 = Loops[2].setpoint.spin;
    vcl::TCSpinEdit*& CS_koff4 = Loops[3].setpoint.spin;
    vcl::TButton*& OK_koff1 = Loops[0].setpoint.ok;
    vcl::TButton*& OK_koff2 = Loops[1].setpoint.ok;
    vcl::TButton*& OK_koff3 = Loops[2].setpoint.ok;
    vcl::TButton*& OK_koff4 = Loops[3].setpoint.ok;

    // Setting editors "Уставка"
    vcl::TGroupBox*& Zadanie11 = Loops[0].setting.box;
    vcl::TGroupBox*& Zadanie21 = Loops[1].setting.box;
    vcl::TGroupBox*& Zadanie31 = Loops[2].setting.box;
    vcl::TGroupBox*& Zadanie41 = Loops[3].setting.box;
    vcl::TLabel*& nastr_koff11 = Loops[0].setting.preview;
    vcl::TLabel*& nastr_koff21 = Loops[1].setting.preview;
    vcl::TLabel*& nastr_koff31 = Loops[2].setting.preview;
    vcl::TLabel*& nastr_koff41 = Loops[3].setting.preview;
    vcl::TCSpinEdit*& CS_koff11 = Loops[0].setting.spin;
    vcl::TCSpinEdit*& CS_koff21 = Loops[1].setting.spin;
    vcl::TCSpinEdit*& CS_koff31 = Loops[2].setting.spin;
    vcl::TCSpinEdit*& CS_koff41 = Loops[3].setting.spin;
    vcl::TButton*& OK_koff11 = Loops[0].setting.ok;
    vcl::TButton*& OK_koff21 = Loops[1].setting.ok;
    vcl::TButton*& OK_koff31 = Loops[2].setting.ok;
    vcl::TButton*& OK_koff41 = Loops[3].setting.ok;

    // Loop boxes with their panel pictures
    vcl::TGroupBox*& GroupBox1 = Loops[0].group;
    vcl::TGroupBox*& GroupBox2 = Loops[1].group;
    vcl::TGroupBox*& GroupBox5 = Loops[2].group;
    vcl::TGroupBox*& GroupBox8 = Loops[3].group;
    vcl::TImage*& Image2 = Loops[0].panel;
    vcl::TImage*& Image1 = Loops[1].panel;
    vcl::TImage*& Image13 = Loops[2].panel;
    vcl::TImage*& Image19 = Loops[3].panel;
    vcl::TImage*& Kontur1_LU = Loops[0].LU;
    vcl::TImage*& Kontur2_LU = Loops[1].LU;
    vcl::TImage*& Kontur3_LU = Loops[2].LU;
    vcl::TImage*& Kontur4_LU = Loops[3].LU;
    vcl::TRxGIFAnimator*& Kontur1_DU = Loops[0].DU;
    vcl::TRxGIFAnimator*& Kontur2_DU = Loops[1].DU;
    vcl::TRxGIFAnimator*& Kontur3_DU = Loops[2].DU;
    vcl::TRxGIFAnimator*& Kontur4_DU = Loops[3].DU;
    vcl::TImage*& Kontur1_BS = Loops[0].BS;
    vcl::TImage*& Kontur2_BS = Loops[1].BS;
    vcl::TImage*& Kontur3_BS = Loops[2].BS;
    vcl::TImage*& Kontur4_BS = Loops[3].BS;
    vcl::TRxGIFAnimator*& Kontur1_PS = Loops[0].PS;
    vcl::TRxGIFAnimator*& Kontur2_PS = Loops[1].PS;
    vcl::TRxGIFAnimator*& Kontur3_PS = Loops[2].PS;
    vcl::TRxGIFAnimator*& Kontur4_PS = Loops[3].PS;
    vcl::TLabel*& koff1 = Loops[0].setpoint.value;
    vcl::TLabel*& koff2 = Loops[1].setpoint.value;
    vcl::TLabel*& koff3 = Loops[2].setpoint.value;
    vcl::TLabel*& koff4 = Loops[3].setpoint.value;
    vcl::TLabel*& koff11 = Loops[0].setting.value;
    vcl::TLabel*& koff21 = Loops[1].setting.value;
    vcl::TLabel*& koff31 = Loops[2].setting.value;
    vcl::TLabel*& koff41 = Loops[3].setting.value;

    vcl::TStatusBar* StatusBar1 = nullptr;

    vcl::TTimer* Timer1 = nullptr;  // value display and link supervision, 2000 ms
    vcl::TTimer* Timer2 = nullptr;  // cyclic polling, 500 ms
    vcl::TTimer* Timer3 = nullptr;  // loop state polling, 55000 ms
    vcl::TTimer* Timer4 = nullptr;  // previews, lamps, scale, 200 ms

    void FormCreate();
    void FormClose(vcl::TCloseAction& action);
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();
    void Timer4Timer();
    void Shkala3Click();
    void ListBox1Click();
    void GroupBox6Click();
    void Image3Click();
    void Button1Click();

    // Opening the editors of the loops' setpoints and settings ...
    void koff1Click();
    void koff2Click();
    void koff3Click();
    void koff4Click();
    void koff11Click();
    void koff21Click();
    void koff31Click();
    void koff41Click();
    // ... and writing what they hold.
    void OK_koffClick();
    void OK_koff2Click();
    void OK_koff3Click();
    void OK_koff4Click();
    void OK_koff11Click();
    void OK_koff21Click();
    void OK_koff31Click();
    void OK_koff41Click();
    // Switching a loop from its blinking lamp.
    void Kontur1_PSClick();
    void Kontur2_PSClick();
    void Kontur3_PSClick();
    void Kontur4_PSClick();

    // The two reply decoders, over what the last read left in RxBuf.
    void Nastrojka();
    void Sortirovka_Buf();

private:
    // One exchange with the controller: an optional pause, the request written, the start of
    // RxBuf cleared (before or after the write), 30 bytes read, one decoder. `afterWrite` runs
    // between the write and the read. The kind names the exchange in the trace.
    enum class ClearAt { BeforeWrite, AfterWrite };
    struct ExchangeStep {
        std::span<const std::uint8_t> frame;
        int pauseMs = 0;
        int clearCount = 0;
        ClearAt clearAt = ClearAt::AfterWrite;
        void (TForm1::*decoder)() = nullptr;
        trace::ExchangeKind kind = trace::ExchangeKind::Other;
    };
    void Exchange(const ExchangeStep& step, const std::function<void()>& afterWrite = {});

    // What the decoders ask of the windows.
    class DecoderWindows final : public protocol::DecoderWindows {
    public:
        explicit DecoderWindows(TForm1& form) : form_(form) {}
        void ShowNoAnswerWindow() override;
        void ShowCommandAccepted() override;
        void MessageBox(const std::string& text, const std::string& caption) override;
        void ShowControllerNo(const std::string& caption) override;

    private:
        TForm1& form_;
    };
    DecoderWindows decoderWindows_{*this};

    void OpenEditor(const console::EditorRow& row);
    void WriteParameter(const console::EditorRow& row);
    void SwitchLoop(const console::SwitchRow& row);
    void CountInputs(int group, int top, int bottom, int pauseMs);

    void LayOutTopStrip();
    void LayOutInputs();
    void LayOutLoops();
    void WireCommands();
};

extern TForm1* Form1;
