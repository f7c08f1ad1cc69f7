#pragma once
// The network window "Вся сеть ТРАНЗИТ": the nodes 1 to 14 of the Tranzit network as lamps,
// red where the network map marks a node present, green on the controller in service.

#include <array>

#include "platform/vcl/forms.h"

class TForm4 : public vcl::TForm {
public:
    explicit TForm4(vcl::TApplication& app);

    static constexpr int kNodes = 14;

    vcl::TImage* Image15 = nullptr;  // the numbers 1 to 14 over grey lamps
    // Index 0 is node 1. The red lamps are created after the green ones and lie above them.
    std::array<vcl::TImage*, kNodes> GreenLamps{};
    std::array<vcl::TImage*, kNodes> RedLamps{};
    vcl::TStatusBar* StatusBar1 = nullptr;
    vcl::TTimer* Timer1 = nullptr;

    vcl::TImage*& Remik1 = GreenLamps[0];
    vcl::TImage*& Remik2 = GreenLamps[1];
    vcl::TImage*& Remik3 = GreenLamps[2];
    vcl::TImage*& Remik4 = GreenLamps[3];
    vcl::TImage*& Remik5 = GreenLamps[4];
    vcl::TImage*& Remik6 = GreenLamps[5];
    vcl::TImage*& Remik7 = GreenLamps[6];
    vcl::TImage*& Remik8 = GreenLamps[7];
    vcl::TImage*& Remik9 = GreenLamps[8];
    vcl::TImage*& Remik10 = GreenLamps[9];
    vcl::TImage*& Remik11 = GreenLamps[10];
    vcl::TImage*& Remik12 = GreenLamps[11];
    vcl::TImage*& Remik13 = GreenLamps[12];
    vcl::TImage*& Remik14 = GreenLamps[13];
    vcl::TImage*& RemikVkl1 = RedLamps[0];
    vcl::TImage*& RemikVkl2 = RedLamps[1];
    vcl::TImage*& RemikVkl3 = RedLamps[2];
    vcl::TImage*& RemikVkl4 = RedLamps[3];
    vcl::TImage*& RemikVkl5 = RedLamps[4];
    vcl::TImage*& RemikVkl6 = RedLamps[5];
    vcl::TImage*& RemikVkl7 = RedLamps[6];
    vcl::TImage*& RemikVkl8 = RedLamps[7];
    vcl::TImage*& RemikVkl9 = RedLamps[8];
    vcl::TImage*& RemikVkl10 = RedLamps[9];
    vcl::TImage*& RemikVkl11 = RedLamps[10];
    vcl::TImage*& RemikVkl12 = RedLamps[11];
    vcl::TImage*& RemikVkl13 = RedLamps[12];
    vcl::TImage*& RemikVkl14 = RedLamps[13];

    void Timer1Timer();
    // A click on any green lamp: all fourteen do the same.
    void Remik1Click();
    void Remik2Click();
    void Remik3Click();
    void Remik4Click();
    void Remik5Click();
    void Remik6Click();
    void Remik7Click();
    void Remik8Click();
    void Remik9Click();
    void Remik10Click();
    void Remik11Click();
    void Remik12Click();
    void Remik13Click();
    void Remik14Click();

private:
    void GreenLampClick();
};

extern TForm4* Form4;
