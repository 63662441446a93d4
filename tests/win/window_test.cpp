// Window classes under a real modal loop: property sheets with lazily created
// pages, message maps, control binding, the handle map; a COM reference's QI.
#include "framework/AfxWin.h"
#include "tests/win/TestSupport.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// IDs of window_test.rc.
constexpr UINT IDD_PAGE1 = 101, IDD_PAGE2 = 102, IDD_DIALOG = 103;
constexpr UINT IDS_PAGE1 = 201, IDS_PAGE2 = 202;
constexpr int IDC_PUSH = 1001, IDC_CHECK = 1002, IDC_EDIT = 1003, IDC_PUSH2 = 1004;

const char kSheetCaption[] = "Window test sheet";

struct ModuleInit {
    ModuleInit() { AfxInitModule(::GetModuleHandleA(nullptr)); }
} g_moduleInit;

class TestPage : public CPropertyPage {
public:
    TestPage(UINT tmpl, UINT caption) : CPropertyPage(tmpl, caption) {}
    int inits = 0;
    int clicks = 0;
    CWnd* parentAtInit = nullptr;
    CButton m_check;
    CEdit m_edit;

    BOOL OnInitDialog() override
    {
        CPropertyPage::OnInitDialog();
        ++inits;
        parentAtInit = GetParent();
        return TRUE;
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_CHECK, m_check);
        DDX_Control(pDX, IDC_EDIT, m_edit);
    }
    void OnPush() { ++clicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestPage, CPropertyPage)
    ON_BN_CLICKED(IDC_PUSH, &TestPage::OnPush)
END_MESSAGE_MAP()

class TestSheet : public CPropertySheet {
public:
    TestSheet() : CPropertySheet(kSheetCaption) {}
    int inits = 0;
    int oks = 0;
    HWND firstPageAtInit = nullptr;
    BOOL OnInitDialog() override
    {
        CPropertySheet::OnInitDialog();
        ++inits;
        // The system's initialisation has created the first page by now.
        firstPageAtInit = reinterpret_cast<HWND>(SendMessage(PSM_GETCURRENTPAGEHWND));
        return TRUE;
    }

protected:
    // Counts the click and leaves it to the system, which closes the sheet.
    void OnOk()
    {
        ++oks;
        Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestSheet, CPropertySheet)
    ON_BN_CLICKED(IDOK, &TestSheet::OnOk)
END_MESSAGE_MAP()

// What the steps driving the modal sheet share.
struct SheetRun {
    TestSheet* sheet = nullptr;
    TestPage* page1 = nullptr;
    TestPage* page2 = nullptr;
    bool driven = false;
};

void DriveSheet(const SheetRun& r, HWND hSheet)
{
    EXPECT_EQ(CWnd::FromHandle(hSheet), r.sheet);
    EXPECT_EQ(r.sheet->inits, 1);
    EXPECT_EQ(r.page1->inits, 1);
    EXPECT_EQ(r.page1->parentAtInit, r.sheet);
    EXPECT_EQ(r.page2->inits, 0) << "second page created before its tab was selected";
    EXPECT_EQ(r.page2->m_hWnd, nullptr);

    ::SendMessageA(hSheet, PSM_SETCURSEL, 1, 0);
    EXPECT_EQ(r.page2->inits, 1);
    HWND hPage = reinterpret_cast<HWND>(::SendMessageA(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    ASSERT_NE(hPage, nullptr);
    EXPECT_EQ(CWnd::FromHandle(hPage), r.page2);
    EXPECT_EQ(CWnd::FromHandle(::GetParent(hPage)), r.sheet);
    EXPECT_EQ(r.page2->parentAtInit, r.sheet);

    char tab[32] = {};
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = tab;
    item.cchTextMax = sizeof(tab);
    HWND hTab = reinterpret_cast<HWND>(::SendMessageA(hSheet, PSM_GETTABCONTROL, 0, 0));
    ::SendMessageA(hTab, TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(tab, "Second");

    // The click reaches the page that owns the button, not the other page.
    ::SendMessageA(::GetDlgItem(hPage, IDC_PUSH), BM_CLICK, 0, 0);
    EXPECT_NE(r.page2->GetDlgItem(IDC_PUSH), nullptr);  // a temporary wrapper
    EXPECT_EQ(r.page2->clicks, 1);
    EXPECT_EQ(r.page1->clicks, 0);

    // Bound controls are the permanent objects of their windows.
    EXPECT_EQ(r.page2->GetDlgItem(IDC_CHECK), &r.page2->m_check);
    EXPECT_EQ(r.page2->GetDlgItem(IDC_EDIT), &r.page2->m_edit);

    const int states[] = {BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED, BST_CHECKED};
    for (int state : states) {
        r.page2->m_check.SetCheck(state);
        EXPECT_EQ(::IsDlgButtonChecked(hPage, IDC_CHECK), static_cast<UINT>(state));
        EXPECT_EQ(r.page2->m_check.GetCheck(), state);
    }
    ::CheckDlgButton(hPage, IDC_CHECK, BST_UNCHECKED);
    EXPECT_EQ(r.page2->m_check.GetCheck(), BST_UNCHECKED);

    ::SendMessageA(::GetDlgItem(hSheet, IDOK), BM_CLICK, 0, 0);
}

TEST(Sheet, RunsModallyWithLazyPagesAndClosesOnOk)
{
    TestPage page1(IDD_PAGE1, IDS_PAGE1), page2(IDD_PAGE2, IDS_PAGE2);
    TestSheet sheet;
    sheet.AddPage(&page1);
    sheet.AddPage(&page2);
    SheetRun run = {&sheet, &page1, &page2};

    // The sheet is found by its caption, once it shows.
    CSheetDriver driver({[&run] {
        HWND hSheet = ThreadWindow(kSheetCaption);
        if (!hSheet)
            return false;
        run.driven = true;
        DriveSheet(run, hSheet);
        return true;
    }});
    ASSERT_FALSE(driver.Failed()) << driver.Failure();
    INT_PTR result = sheet.DoModal();

    EXPECT_FALSE(driver.Failed()) << driver.Failure();
    EXPECT_TRUE(run.driven);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(sheet.oks, 1);
    EXPECT_NE(sheet.firstPageAtInit, nullptr);
    EXPECT_EQ(page1.inits, 1);
    EXPECT_EQ(page2.inits, 1);
    // Closed windows leave no objects attached to stale handles.
    EXPECT_EQ(sheet.m_hWnd, nullptr);
    EXPECT_EQ(page1.m_hWnd, nullptr);
    EXPECT_EQ(page2.m_hWnd, nullptr);
    EXPECT_EQ(page2.m_check.m_hWnd, nullptr);
}

// A base dialog with a click handler; the derived one adds a timer handler
// and must still reach the base's entry.
class BaseDialog : public CDialog {
public:
    BaseDialog() : CDialog(IDD_DIALOG) {}
    int clicks = 0;
    std::vector<UINT> ranged;

protected:
    void OnPush() { ++clicks; }
    void OnRanged(UINT nID) { ranged.push_back(nID); }
    DECLARE_MESSAGE_MAP()
};

// The range covers the push button too, whose own entry comes first.
BEGIN_MESSAGE_MAP(BaseDialog, CDialog)
    ON_BN_CLICKED(IDC_PUSH, &BaseDialog::OnPush)
    ON_CONTROL_RANGE(BN_CLICKED, IDC_PUSH, IDC_PUSH2, &BaseDialog::OnRanged)
END_MESSAGE_MAP()

// The derived dialog adds a timer handler, which hears every timer, and an
// entry that sends its second push button to the base's handler of the
// first, ahead of the base's range.
class DerivedDialog : public BaseDialog {
public:
    static constexpr UINT_PTR kTimers[] = {7, 9};
    CEdit m_edit;
    std::vector<UINT_PTR> ticks;
    std::string texts[3];

    BOOL OnInitDialog() override
    {
        BaseDialog::OnInitDialog();
        for (UINT_PTR id : kTimers)
            SetTimer(id, 10);
        return TRUE;
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_EDIT, m_edit); }
    void OnTimer(UINT_PTR nIDEvent)
    {
        ::KillTimer(m_hWnd, nIDEvent);
        ticks.push_back(nIDEvent);
        if (ticks.size() < 2)
            return;
        const char* samples[] = {"", "Zone 1", "\xC4nderung \xFC" "ber 80 \xB0" "C"};
        for (int i = 0; i < 3; ++i) {
            m_edit.SetWindowText(samples[i]);
            texts[i] = m_edit.GetWindowText();
        }
        GetDlgItem(IDC_PUSH)->SendMessage(BM_CLICK);
        GetDlgItem(IDC_PUSH2)->SendMessage(BM_CLICK);
        GetDlgItem(IDC_CHECK)->SendMessage(BM_CLICK);
        EndDialog(42);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedDialog, BaseDialog)
    ON_WM_TIMER()
    ON_BN_CLICKED(IDC_PUSH2, &DerivedDialog::OnPush)
END_MESSAGE_MAP()

TEST(Dialog, DerivedMapChainsToBaseAndEndDialogSetsResult)
{
    DerivedDialog dlg;
    EXPECT_EQ(dlg.DoModal(), 42);
    std::sort(dlg.ticks.begin(), dlg.ticks.end());
    EXPECT_EQ(dlg.ticks, (std::vector<UINT_PTR>{7, 9})) << "one timer entry hears both timers, with their IDs";
    EXPECT_EQ(dlg.clicks, 2) << "the second button reaches the first one's entry";
    EXPECT_EQ(dlg.ranged, (std::vector<UINT>{IDC_CHECK})) << "the range hears what no entry before it takes";
    EXPECT_EQ(dlg.texts[0], "");
    EXPECT_EQ(dlg.texts[1], "Zone 1");
    EXPECT_EQ(dlg.texts[2], "\xC4nderung \xFC" "ber 80 \xB0" "C");
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(dlg.m_edit.m_hWnd, nullptr);
}

TEST(HandleMap, TemporaryUntilAttachedPermanentUntilDetached)
{
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
    HWND h = ::CreateWindowA("STATIC", "plain", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_NE(h, nullptr);

    CWnd* temp = CWnd::FromHandle(h);
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(temp->m_hWnd, h);
    EXPECT_EQ(CWnd::FromHandle(h), temp) << "one temporary per window";
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
    EXPECT_EQ(temp->GetWindowText(), "plain");

    {
        CWnd owner;
        ASSERT_TRUE(owner.Attach(h));
        CWnd other;
        EXPECT_FALSE(other.Attach(h)) << "a window has one permanent object";
        EXPECT_FALSE(owner.Attach(h));
        EXPECT_EQ(CWnd::FromHandle(h), &owner);
        EXPECT_EQ(CWnd::FromHandlePermanent(h), &owner);
        EXPECT_EQ(owner.Detach(), h);
        EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
        ASSERT_TRUE(owner.Attach(h));
    }  // the destructor detaches without destroying the window
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
    EXPECT_TRUE(::IsWindow(h));
    EXPECT_EQ(CWnd::FromHandle(h)->m_hWnd, h);

    CWnd::DeleteTempMap();
    ::DestroyWindow(h);
}

// Answers QueryInterface with `result`, leaving `out` behind; counts its releases.
struct Answering : IUnknown {
    Answering(HRESULT r = S_OK, IUnknown* o = nullptr) : result(r), out(o) {}
    HRESULT result; IUnknown* out; int releases = 0;
    STDMETHODIMP QueryInterface(REFIID, void** ppv) override { return *ppv = out, result; }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return ++releases, 1; }
};

TEST(ComPtr, QueryHoldsOnlyWhatACallAnsweringSOkHandsOut)
{
    const struct { const char* what; HRESULT result; bool pointer, held; } cases[] = {
        {"S_OK with a pointer", S_OK, true, true}, {"S_OK with a null pointer", S_OK, false, false},
        {"E_NOINTERFACE, a pointer left behind", E_NOINTERFACE, true, false}, {"S_FALSE with a pointer", S_FALSE, true, false}};
    for (const auto& c : cases) {
        Answering handed, asked(c.result, c.pointer ? &handed : nullptr);
        EXPECT_EQ(static_cast<bool>(afx::query<IUnknown>(&asked, IID_IUnknown)), c.held) << c.what;
        EXPECT_EQ(handed.releases, c.held ? 1 : 0) << c.what;
    }
}

}  // namespace
