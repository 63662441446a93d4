// CNodePropPage: a page's calls to the node, through its sheet, and the Read
// and Write of its fields.
#include "sheet/NodePage.h"

#include "nodeaccess/Convert.h"
#include "nodeaccess/NodeLayout.h"
#include "nodeaccess/ValueText.h"
#include "sheet/Sheet.h"

#include <algorithm>
#include <iterator>

IMPLEMENT_DYNAMIC(CNodePropPage, CPropertyPage)

// Read and Write; any other button's click selects what it stands for in
// its field, where it stands for a value.
BEGIN_MESSAGE_MAP(CNodePropPage, CPropertyPage)
    ON_BN_CLICKED(IDC_READ, &CNodePropPage::OnRead)
    ON_BN_CLICKED(IDC_WRITE, &CNodePropPage::OnWrite)
    ON_CONTROL_RANGE(BN_CLICKED, 0, 0xFFFF, &CNodePropPage::OnChoiceClicked)
END_MESSAGE_MAP()

namespace {

// ---- Field types ------------------------------------------------------------------

int CheckOf(bool set) { return set ? BST_CHECKED : BST_UNCHECKED; }
bool IsSet(int check) { return check == BST_CHECKED; }
int SignedByte(int byte) { return CConvert().SignedByte(byte); }

using Checks = std::array<int, 4>;

// Automatic for any byte but 0 and 1; the level can be entered for Manual on.
void ShowOverrideMode(const NodeField& f, int byte)
{
    const int m = SignedByte(byte);
    const int mode = m == node::kManualOff || m == node::kManualOn ? m : node::kAutomatic;
    f.buttons[0]->SetCheck(CheckOf(mode == node::kAutomatic));
    f.buttons[1]->SetCheck(CheckOf(mode == node::kManualOff));
    f.buttons[2]->SetCheck(CheckOf(mode == node::kManualOn));
    f.edit->EnableWindow(mode == node::kManualOn);
}

// "Auto" is never asked: no button set means automatic.
int ChooseOverrideMode(const Checks& c, int)
{
    if (IsSet(c[1]))
        return node::kManualOff;
    if (IsSet(c[2]))
        return node::kManualOn;
    return node::kAutomatic;
}

// What each input mode byte shows; any other value shows nothing chosen.
struct InputModeView {
    int mode;
    bool release, choose, windowSwitch, plusMinus3;
};
constexpr InputModeView kInputModes[] = {
    {node::kChosenInput, false, true, false, false},   {node::kPlusMinus3, false, true, false, true},
    {node::kWindowSwitch, false, true, true, false},   {node::kBothFunctions, false, true, true, true},
    {node::kReleaseCooling, true, false, false, false},
};

// The functions can be switched on unless the input releases cooling.
void ShowInputMode(const NodeField& f, int byte)
{
    const int mode = SignedByte(byte);
    InputModeView view = {mode, false, false, false, false};
    for (const InputModeView& v : kInputModes)
        if (v.mode == mode)
            view = v;
    f.buttons[0]->SetCheck(CheckOf(view.release));
    f.buttons[1]->SetCheck(CheckOf(view.choose));
    f.buttons[2]->SetCheck(CheckOf(view.windowSwitch));
    f.buttons[3]->SetCheck(CheckOf(view.plusMinus3));
    f.buttons[2]->EnableWindow(!view.release);
    f.buttons[3]->EnableWindow(!view.release);
}

// Each button that is set overrides the one asked before it, disabled ones
// too; none set keeps the byte as read.
int ChooseInputMode(const Checks& c, int read)
{
    int mode = read;
    if (IsSet(c[0]))
        mode = node::kReleaseCooling;
    if (IsSet(c[1]))
        mode = node::kChosenInput;
    if (IsSet(c[3]))
        mode = node::kPlusMinus3;
    if (IsSet(c[2]))
        mode = node::kWindowSwitch;
    if (IsSet(c[2]) && IsSet(c[3]))
        mode = node::kBothFunctions;
    return mode;
}

// The node knows the pairs 3, 5 and 6 only; anything else shows no box set.
// A read leaves the boxes enabled or disabled as they are.
void ShowOccupancyChoice(const NodeField& f, int byte)
{
    const int choice = SignedByte(byte);
    const bool known = choice == 3 || choice == 5 || choice == 6;
    f.buttons[0]->SetCheck(CheckOf(known && (choice & node::kChoiceOccupied)));
    f.buttons[1]->SetCheck(CheckOf(known && (choice & node::kChoiceStandby)));
    f.buttons[2]->SetCheck(CheckOf(known && (choice & node::kChoiceUnoccupied)));
}

// Always a pair the node knows: three boxes, one, or none go out as 6.
int ChooseOccupancyChoice(const Checks& c, int)
{
    if (IsSet(c[0]) && IsSet(c[1]))
        return node::kChoiceOccupied + node::kChoiceStandby;
    if (IsSet(c[0]) && IsSet(c[2]))
        return node::kChoiceOccupied + node::kChoiceUnoccupied;
    return node::kChoiceStandby + node::kChoiceUnoccupied;
}

// 0 is 0 - 10 V, any other value 2 - 10 V.
void ShowValveType(const NodeField& f, int byte)
{
    const bool zeroTo10 = SignedByte(byte) == 0;
    f.buttons[0]->SetCheck(CheckOf(zeroTo10));
    f.buttons[1]->SetCheck(CheckOf(!zeroTo10));
}

// Only the "0 - 10V" button is asked: neither set means 2 - 10 V.
int ChooseValveType(const Checks& c, int) { return IsSet(c[0]) ? 0 : 1; }

// A byte other than 0 or 1 is passed on, taken as signed.
void ShowValveMotion(const NodeField& f, int byte) { f.buttons[0]->SetCheck(SignedByte(byte)); }

int ChooseValveMotion(const Checks& c, int) { return IsSet(c[0]) ? 1 : 0; }

constexpr int kNone = -1;

// One row per FieldType, in its order.
struct TypeRule {
    FieldKind kind;  // a value's (unused for choices)
    int buttons;     // a choice's; 0 for a value
    void (*show)(const NodeField&, int byte);
    int (*choose)(const Checks& checks, int read);
    std::array<int, 3> clicked;  // the byte each button stands for when clicked
};

constexpr TypeRule kValue(FieldKind kind) { return {kind, 0, nullptr, nullptr, {kNone, kNone, kNone}}; }

const TypeRule kTypeRules[] = {
    kValue(FieldKind::Whole),
    kValue(FieldKind::Tenths),
    kValue(FieldKind::SignedHundredths),
    kValue(FieldKind::Thousandths),
    kValue(FieldKind::Halves),
    kValue(FieldKind::Whole),  // OccupancyState: a word, shown as text
    {FieldKind::Whole, 3, ShowOverrideMode, ChooseOverrideMode, {node::kAutomatic, node::kManualOff, node::kManualOn}},
    {FieldKind::Whole, 4, ShowInputMode, ChooseInputMode, {kNone, kNone, kNone}},
    {FieldKind::Whole, 3, ShowOccupancyChoice, ChooseOccupancyChoice, {kNone, kNone, kNone}},
    {FieldKind::Whole, 2, ShowValveType, ChooseValveType, {0, 1, kNone}},
    {FieldKind::Whole, 1, ShowValveMotion, ChooseValveMotion, {kNone, kNone, kNone}},
};

const TypeRule& RuleOf(FieldType type) { return kTypeRules[static_cast<int>(type)]; }
bool IsValue(FieldType type) { return RuleOf(type).buttons == 0 && type != FieldType::OccupancyState; }
int WidthOf(FieldType type) { return RuleOf(type).buttons ? 1 : FieldWidth(RuleOf(type).kind); }

const char* OccupancyText(int state)
{
    switch (state) {
    case node::kOccupied: return "Occupied";
    case node::kUnoccupied: return "Unoccupied";
    case node::kStandby: return "Standby";
    // The node documents no other state; an earlier state must not stay shown.
    default: return "Unknown";
    }
}

// Counts the sheet's node calls in flight for their duration.
class CNodeCallScope {
public:
    explicit CNodeCallScope(CSheet& sheet) : m_sheet(sheet) { ++m_sheet.m_nNodeCallsInFlight; }
    ~CNodeCallScope() { --m_sheet.m_nNodeCallsInFlight; }
    CNodeCallScope(const CNodeCallScope&) = delete;
    CNodeCallScope& operator=(const CNodeCallScope&) = delete;

private:
    CSheet& m_sheet;
};

}  // namespace

NodeField ValueField(unsigned step, long point, int at, FieldType type, CEdit& edit, const char* label)
{
    return {step, point, at, type, &edit, {}, label};
}

NodeField ChoiceField(unsigned step, long point, int at, FieldType type, std::array<CButton*, 4> buttons,
                      CEdit* edit)
{
    return {step, point, at, type, edit, buttons, ""};
}

// ---- Node calls ------------------------------------------------------------------------

long CNodePropPage::ReadPoint(long point, PointBuffer& buffer) const
{
    std::fill(std::begin(buffer), std::end(buffer), 0);
    CSheet* sheet = CSheet::FromPage(*this);
    IReadNode* node = sheet ? sheet->m_pReadNode.get() : nullptr;
    if (!node)
        return kNoInterface;
    CNodeCallScope call(*sheet);
    return node->ReadPoint(point, buffer, kPointCapacity);
}

void CNodePropPage::WritePoint(long point, const PointBuffer& buffer, long length) const
{
    CSheet* sheet = CSheet::FromPage(*this);
    IWriteNode* node = sheet ? sheet->m_pWriteNode.get() : nullptr;
    if (!node)
        return;
    CNodeCallScope call(*sheet);
    node->WritePoint(point, buffer, length);
}

long CNodePropPage::GetNodeName(NameBuffer& buffer) const
{
    CSheet* sheet = CSheet::FromPage(*this);
    IReadNode* node = sheet ? sheet->m_pReadNode.get() : nullptr;
    if (!node)
        return kNoInterface;
    CNodeCallScope call(*sheet);
    return node->GetNodeName(buffer, kNodeNameCapacity);
}

// A host may dispatch messages while a node call waits, as a call to another
// apartment does. A click on Read or Write or a timer tick then would start a
// second procedure inside the first, with node calls between its read and
// write of a point: the page does not start it. The procedure in progress
// ends with a read that shows what the node holds.
bool CNodePropPage::NodeCallInFlight() const
{
    const CSheet* sheet = CSheet::FromPage(*this);
    return sheet && sheet->m_nNodeCallsInFlight > 0;
}

// ---- Fields ----------------------------------------------------------------------------

BOOL CNodePropPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    m_shown.assign(m_fields.size(), Shown());
    for (size_t i = 0; i < m_fields.size(); ++i)
        m_shown[i].state = StateOf(m_fields[i]);
    return TRUE;
}

CNodePropPage::ControlState CNodePropPage::StateOf(const NodeField& field)
{
    ControlState state;
    if (IsValue(field.type))
        state.text = field.edit->GetWindowText();
    for (int b = 0; b < RuleOf(field.type).buttons; ++b)
        state.checks[static_cast<size_t>(b)] = field.buttons[static_cast<size_t>(b)]->GetCheck();
    return state;
}

void CNodePropPage::Show(size_t index, const unsigned char* buffer)
{
    const NodeField& f = m_fields[index];
    const unsigned char* at = buffer + f.at;
    if (f.type == FieldType::OccupancyState)
        f.edit->SetWindowText(OccupancyText(CConvert().Word(at[0], at[1])));
    else if (IsValue(f.type))
        f.edit->SetWindowText(::ShowField(RuleOf(f.type).kind, at));
    else
        RuleOf(f.type).show(f, at[0]);
    Shown& shown = m_shown[index];
    shown.known = true;
    std::copy(at, at + WidthOf(f.type), shown.bytes.begin());
    shown.state = StateOf(f);
}

long CNodePropPage::ReadStep(unsigned step, PointBuffer& buffer) const
{
    const auto first =
        std::find_if(m_fields.begin(), m_fields.end(), [step](const NodeField& f) { return f.step & step; });
    if (first == m_fields.end() || ReadPoint(first->point, buffer) != kNodeOk)
        return 0;
    return first->point;
}

void CNodePropPage::ShowSteps(const std::vector<unsigned>& steps)
{
    if (NodeCallInFlight())
        return;
    for (unsigned step : steps) {
        PointBuffer buf;
        if (!ReadStep(step, buf))
            continue;
        for (size_t i = 0; i < m_fields.size(); ++i)
            if (m_fields[i].step & step)
                Show(i, buf);
    }
}

void CNodePropPage::OnRead() { ShowSteps(m_readSteps); }

void CNodePropPage::OnWrite()
{
    if (NodeCallInFlight())
        return;
    std::vector<Entry> entries;
    if (!TakeEntries(entries))
        return;
    for (unsigned step : m_writeSteps) {
        PointBuffer buf;
        const long point = ReadStep(step, buf);
        if (!point)
            continue;
        PutEntries(step, entries, buf);
        WritePoint(point, buf, node::WriteLength(point));
    }
    OnRead();
}

// Taken once, when Write is pressed: what the host's message loop dispatches
// during the node calls that follow changes nothing the Write sends.
bool CNodePropPage::TakeEntries(std::vector<Entry>& entries)
{
    unsigned written = 0;
    for (unsigned step : m_writeSteps)
        written |= step;
    entries.assign(m_fields.size(), Entry());
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const NodeField& f = m_fields[i];
        if (!(f.step & written))
            continue;
        Entry& e = entries[i];
        e.state = StateOf(f);
        e.edited = !(e.state == m_shown[i].state);
        if (e.edited && IsValue(f.type) &&
            ScaleEntry(RuleOf(f.type).kind, e.state.text, e.scaled) != EntryCheck::kAccepted) {
            Refuse(f);
            return false;
        }
    }
    return true;
}

// The box belongs to the sheet, as "Node not available!" does; then the
// operator is back in the field, its text selected.
void CNodePropPage::Refuse(const NodeField& field)
{
    const std::string text = std::string(field.label) + ": enter a number " +
                             AcceptedRange(RuleOf(field.type).kind) + ".";
    CWnd* owner = CSheet::FromPage(*this);
    if (!owner)
        owner = this;
    owner->MessageBox(text.c_str(), "Plugin", MB_OK | MB_ICONEXCLAMATION);
    owner->GotoDlgCtrl(field.edit);
    field.edit->SetSel(0, -1, TRUE);
}

// A field the operator left as the page showed it goes back as the bytes it
// was shown from; one never shown, as the point was read just now.
void CNodePropPage::PutEntries(unsigned step, const std::vector<Entry>& entries, PointBuffer& buffer) const
{
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const NodeField& f = m_fields[i];
        if (!(f.step & step))
            continue;
        unsigned char* at = buffer + f.at;
        const Entry& e = entries[i];
        if (!e.edited) {
            if (m_shown[i].known)
                std::copy_n(m_shown[i].bytes.begin(), WidthOf(f.type), at);
        } else if (IsValue(f.type)) {
            PutField(RuleOf(f.type).kind, e.scaled, at);
        } else {
            at[0] = static_cast<unsigned char>(RuleOf(f.type).choose(e.state.checks, at[0]));
        }
    }
}

void CNodePropPage::OnChoiceClicked(UINT nID)
{
    for (const NodeField& f : m_fields) {
        const TypeRule& rule = RuleOf(f.type);
        for (int b = 0; b < rule.buttons && b < 3; ++b) {
            CButton* button = f.buttons[static_cast<size_t>(b)];
            if (button->GetDlgCtrlID() == static_cast<int>(nID) && rule.clicked[static_cast<size_t>(b)] != kNone) {
                rule.show(f, rule.clicked[static_cast<size_t>(b)]);
                return;
            }
        }
    }
}
