#pragma once

#include <array>

// The buttons of the two teaching-materials panels. Every material lies in
// the folder "умкд" of the course root and opens in the document viewer under
// its viewer caption. One row per button; the handler name is the one the
// button's click runs ("СРСП" has none and does nothing).
struct MaterialButton {
    int panel;                     // 2: sPanel2 (part 1), 3: sPanel3 (part 2)
    const char* name;              // the button
    const char16_t* caption;       // text on the button
    int left, top, width;          // within the panel; height 25
    int tabOrder;                  // within the panel
    const char* handler;           // null: no handler
    const char16_t* file;          // in "умкд"
    const char16_t* viewerCaption; // caption of the document viewer
};

inline constexpr std::array<MaterialButton, 34> kMaterialButtons{{
    {2, "Button10", u"Лекция 1", 8, 16, 75, 0, "Button10Click", u"Лекция1.htm", u"Лекция 1"},
    {2, "Button11", u"Лекция 2", 88, 16, 75, 1, "Button11Click", u"Лекция2.htm", u"Лекция 2"},
    {2, "Button12", u"Лекция 3", 168, 16, 75, 2, "Button12Click", u"Лекция3.htm", u"Лекция 3"},
    {2, "Button13", u"Лекция 4", 248, 16, 75, 3, "Button13Click", u"Лекция4.htm", u"Лекция 4"},
    {2, "Button14", u"Лекция 5", 328, 16, 75, 4, "Button14Click", u"Лекция5.htm", u"Лекция 5"},
    {2, "Button15", u"Лекция 6", 408, 16, 75, 5, "Button15Click", u"Лекция6.htm", u"Лекция 6"},
    {2, "Button16", u"Лекция 7", 488, 16, 75, 6, "Button16Click", u"Лекция7.htm", u"Лекция 7"},
    {2, "Button17", u"Лекция 8", 8, 48, 75, 7, "Button17Click", u"Лекция8.htm", u"Лекция 8"},
    {2, "Button18", u"Лекция 9", 88, 48, 75, 8, "Button18Click", u"Лекция9.htm", u"Лекция 9"},
    {2, "Button19", u"Лекция 10", 168, 48, 75, 9, "Button19Click", u"Лекция10.htm", u"Лекция 10"},
    {2, "Button20", u"Лекция 11", 248, 48, 75, 10, "Button20Click", u"Лекция11.htm", u"Лекция 11"},
    {2, "Button21", u"Лекция 12", 328, 48, 75, 11, "Button21Click", u"Лекция12.htm", u"Лекция 12"},
    {2, "Button22", u"Лекция 13", 408, 48, 75, 12, "Button22Click", u"Лекция13.htm", u"Лекция 13"},
    {2, "Button23", u"Лекция 14", 488, 48, 75, 13, "Button23Click", u"Лекция14.htm", u"Лекция 14"},
    {2, "Button24", u"Вопросы к рубежному контролю", 8, 80, 193, 16, "Button24Click",
     u"Вопросы к рубежному контролю.htm", u"Вопросы к рубежному контролю"},
    {2, "Button25", u"Планы практических занятий", 209, 80, 177, 14, "Button25Click",
     u"Планы практических занятий.htm", u"Планы практических занятий"},
    {2, "Button26", u"Экзаменационные вопросы", 394, 80, 169, 15, "Button26Click", u"Экзаменационные вопросы.htm",
     u"Экзаменационные вопросы"},
    {3, "Button59", u"Лекция 1", 8, 8, 75, 0, "Button43Click", u"Лекция1-2.htm", u"Лекция 1"},
    {3, "Button60", u"Лекция 2", 88, 8, 75, 1, "Button42Click", u"Лекция2-2.htm", u"Лекция 2"},
    {3, "Button51", u"Лекция 3", 168, 8, 75, 2, "Button33Click", u"Лекция3-2.htm", u"Лекция 3"},
    {3, "Button52", u"Лекция 4", 248, 8, 75, 3, "Button34Click", u"Лекция4-2.htm", u"Лекция 4"},
    {3, "Button53", u"Лекция 5", 328, 8, 75, 4, "Button35Click", u"Лекция5-2.htm", u"Лекция 5"},
    {3, "Button54", u"Лекция 6", 408, 8, 75, 5, "Button36Click", u"Лекция6-2.htm", u"Лекция 6"},
    {3, "Button55", u"Лекция 7", 8, 40, 75, 6, "Button37Click", u"Лекция7-2.htm", u"Лекция 7"},
    {3, "Button56", u"Лекция 8", 88, 40, 75, 7, "Button38Click", u"Лекция8-2.htm", u"Лекция 8"},
    {3, "Button57", u"Лекция 9", 168, 40, 75, 8, "Button39Click", u"Лекция9-2.htm", u"Лекция 9"},
    {3, "Button58", u"Лекция 10", 248, 40, 75, 9, "Button40Click", u"Лекция10-2.htm", u"Лекция 10"},
    {3, "Button61", u"Лекция 11", 328, 40, 75, 10, "Button41Click", u"Лекция11-2.htm", u"Лекция 11"},
    {3, "Button45", u"Лекционные занятия", 8, 72, 137, 11, "Button27Click", u"Лекционные занятия.htm",
     u"Лекционные занятия"},
    {3, "Button46", u"Практические занятия", 152, 72, 145, 12, "Button4Click", u"Практические занятия.htm",
     u"Практические занятия"},
    {3, "Button47", u"СРСП", 304, 72, 57, 13, nullptr, nullptr, nullptr},
    {3, "Button48", u"СРС и источники", 368, 72, 114, 14, "Button29Click", u"СРС и источники.htm",
     u"СРС и источники"},
    {3, "Button50", u"Вопросы к рубежным контролям + экзаменационные", 8, 104, 297, 15, "Button31Click",
     u"Вопросы к рубежным контролям2 + экзаменационные.htm", u"Вопросы к рубежным контролям2 + экзаменационные"},
    {3, "Button49", u"Планы практических занятий", 312, 104, 171, 16, "Button32Click",
     u"Планы практических занятий2.htm", u"Планы практических занятий 2"},
}};
