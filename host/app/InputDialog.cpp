// The host's one-line question: a dialog template written word by word, as
// DialogBoxIndirectParam takes it, and the dialog's procedure.
#include "host/app/InputDialog.h"

#include "host/app/HostText.h"

#include <vector>

namespace {

constexpr int kIdPrompt = 100;
constexpr int kIdText = 101;
constexpr WORD kButtonClass = 0x0080, kEditClass = 0x0081, kStaticClass = 0x0082;

// A DLGTEMPLATE and its items; every item starts on a DWORD boundary.
class CTemplate {
public:
    CTemplate(const std::string& title, short cx, short cy, WORD items)
    {
        Put(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
        Put(0);  // extended style
        m_words.push_back(items);
        for (short v : {short(0), short(0), cx, cy})
            m_words.push_back(static_cast<WORD>(v));
        m_words.push_back(0);  // no menu
        m_words.push_back(0);  // the dialog class
        Text(title);
        m_words.push_back(8);  // point size of the font that follows
        Text("MS Shell Dlg");
    }

    void Item(DWORD style, short x, short y, short cx, short cy, int id, WORD cls, const std::string& text)
    {
        if (m_words.size() % 2)
            m_words.push_back(0);
        Put(WS_CHILD | WS_VISIBLE | style);
        Put(0);
        for (short v : {x, y, cx, cy})
            m_words.push_back(static_cast<WORD>(v));
        m_words.push_back(static_cast<WORD>(id));
        m_words.push_back(0xFFFF);  // a predefined class by its atom
        m_words.push_back(cls);
        Text(text);
        m_words.push_back(0);  // no creation data
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

private:
    void Put(DWORD v)
    {
        m_words.push_back(LOWORD(v));
        m_words.push_back(HIWORD(v));
    }
    void Text(const std::string& s)
    {
        for (wchar_t c : Widen(s))
            m_words.push_back(static_cast<WORD>(c));
        m_words.push_back(0);
    }

    std::vector<WORD> m_words;
};

// The dialog's parameter is the std::string of AskText.
INT_PTR CALLBACK QuestionProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lp);
        SetDlgItemTextA(dialog, kIdText, reinterpret_cast<std::string*>(lp)->c_str());
        return TRUE;  // the focus goes to the edit field, the first tab stop
    }
    if (msg != WM_COMMAND || (LOWORD(wp) != IDOK && LOWORD(wp) != IDCANCEL))
        return FALSE;
    if (LOWORD(wp) == IDOK) {
        char text[512] = {};
        GetDlgItemTextA(dialog, kIdText, text, sizeof text);
        *reinterpret_cast<std::string*>(GetWindowLongPtrA(dialog, DWLP_USER)) = text;
    }
    EndDialog(dialog, LOWORD(wp));
    return TRUE;
}

}  // namespace

bool AskText(HWND owner, const std::string& title, const std::string& prompt, std::string& text)
{
    CTemplate t(title, 240, 66, 4);
    t.Item(SS_LEFT, 7, 7, 226, 18, kIdPrompt, kStaticClass, prompt);
    t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 26, 226, 13, kIdText, kEditClass, "");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 129, 45, 50, 14, IDOK, kButtonClass, "OK");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 183, 45, 50, 14, IDCANCEL, kButtonClass, "Cancel");
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.Get(), owner, QuestionProc,
                                   reinterpret_cast<LPARAM>(&text)) == IDOK;
}
