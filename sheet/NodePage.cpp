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

// Read and Write; any other button's click goes to the click rules.
BEGIN_MESSAGE_MAP(CNodePropPage, CPropertyPage)
    ON_BN_CLICKED(IDC_READ, &CNodePropPage::OnRead)
    ON_BN_CLICKED(IDC_WRITE, &CNodePropPage::OnWrite)
    ON_CONTROL_RANGE(BN_CLICKED, 0, 0xFFFF, &CNodePropPage::OnChoiceClicked)
END_MESSAGE_MAP()

namespace {

// ---- Choices ----------------------------------------------------------------------

int CheckOf(bool set) { return set ? BST_CHECKED : BST_UNCHECKED; }
bool IsSet(int check) { return check == BST_CHECKED; }
int SignedByte(int byte) { return CConvert().SignedByte(byte); }

using Checks = std::array<int, kMaxButtons>;

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

// How a choice's byte meets its buttons, one row per FieldKind (none for a
// text kind): the buttons the byte is shown on and taken from, in the order
// of the field's table rows; further buttons of the field only take clicks.
struct ChoiceRule {
    int buttons;
    void (*show)(const NodeField&, int byte);
    int (*choose)(const Checks& checks, int read);
};

constexpr ChoiceRule kText = {0, nullptr, nullptr};
constexpr ChoiceRule kChoiceRules[] = {
    kText, kText, kText, kText, kText,  // the entry kinds
    kText,                              // OccupancyState
    {3, ShowOverrideMode, ChooseOverrideMode},        // Auto, Manual off, Manual on
    {4, ShowInputMode, ChooseInputMode},              // release cooling, choose input, "Window switch", "+/- 3°C"
    {3, ShowOccupancyChoice, ChooseOccupancyChoice},  // "Occupancy", "Standby", "UnOccupancy"
    {2, ShowValveType, ChooseValveType},              // "0 - 10V", "2 - 10V"
    {1, ShowValveMotion, ChooseValveMotion},          // the automatic motion box
};
static_assert(std::size(kChoiceRules) == static_cast<size_t>(FieldKind::kCount), "a row per field kind");

const ChoiceRule& ChoiceOf(FieldKind kind) { return kChoiceRules[static_cast<int>(kind)]; }

// ---- Clicks -----------------------------------------------------------------------
// Every radio button of the pages starts a group of its own, so the system
// clears no partner: a click's rule sets the buttons of its group. An effect
// names a control by its field's kind and its place in the field (kLevel:
// an override's level edit); the clicked field's own kind means the clicked
// field, another kind the page's one field of it, if the page has one.

constexpr int kLevel = kEdit;
constexpr int kKeep = -1;
struct Effect {
    FieldKind kind = FieldKind::kCount;  // none: the rule's effects end
    int part = 0;
    int enable = kKeep;  // TRUE, FALSE or kKeep, applied first
    int check = kKeep;   // BST_CHECKED, BST_UNCHECKED or kKeep
};
constexpr Effect Check(FieldKind kind, int part) { return {kind, part, kKeep, BST_CHECKED}; }
constexpr Effect Clear(FieldKind kind, int part) { return {kind, part, kKeep, BST_UNCHECKED}; }
constexpr Effect Enable(FieldKind kind, int part) { return {kind, part, TRUE, kKeep}; }
constexpr Effect Disable(FieldKind kind, int part) { return {kind, part, FALSE, kKeep}; }
constexpr Effect DisableAndClear(FieldKind kind, int part) { return {kind, part, FALSE, BST_UNCHECKED}; }

struct ClickRule {
    FieldKind kind;
    int part;  // the button clicked
    std::array<Effect, 8> effects;
};

constexpr FieldKind kOverride = FieldKind::OverrideMode, kValve = FieldKind::ValveType,
                    kInput = FieldKind::InputMode, kChoice = FieldKind::OccupancyChoice;
// The occupancy choice's fourth button is "Choose Occup =>" (zone 4): the
// input's third use, beside releasing cooling and a chosen input.
constexpr int kChooseOccupancy = 3;

constexpr ClickRule kClickRules[] = {
    // An output's mode; the level can be entered for Manual on.
    {kOverride, 0, {Check(kOverride, 0), Clear(kOverride, 1), Clear(kOverride, 2), Disable(kOverride, kLevel)}},
    {kOverride, 1, {Clear(kOverride, 0), Check(kOverride, 1), Clear(kOverride, 2), Disable(kOverride, kLevel)}},
    {kOverride, 2, {Clear(kOverride, 0), Clear(kOverride, 1), Check(kOverride, 2), Enable(kOverride, kLevel)}},
    // A valve's signal range.
    {kValve, 0, {Check(kValve, 0), Clear(kValve, 1)}},
    {kValve, 1, {Clear(kValve, 0), Check(kValve, 1)}},
    // The input's use: releasing cooling, a chosen input with its functions,
    // or the occupancy choice with its boxes.
    {kInput, 0, {Check(kInput, 0), Clear(kInput, 1), Clear(kChoice, kChooseOccupancy), DisableAndClear(kInput, 2),
                 DisableAndClear(kInput, 3), Disable(kChoice, 0), Disable(kChoice, 1), Disable(kChoice, 2)}},
    {kInput, 1, {Clear(kInput, 0), Check(kInput, 1), Clear(kChoice, kChooseOccupancy), Enable(kInput, 2),
                 Enable(kInput, 3), Disable(kChoice, 0), Disable(kChoice, 1), Disable(kChoice, 2)}},
    {kChoice, kChooseOccupancy,
     {Check(kChoice, kChooseOccupancy), Clear(kInput, 1), Clear(kInput, 0), DisableAndClear(kInput, 2),
      DisableAndClear(kInput, 3), Enable(kChoice, 0), Enable(kChoice, 1), Enable(kChoice, 2)}},
};

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

void CNodePropPage::AddEdit(unsigned step, node::Spot spot, FieldKind kind, CEdit& edit, const char* label)
{
    m_fields.push_back({step, spot.point, spot.at, kind, &edit, {}, label});
}

// A choice's buttons are rows of their own: the first makes the field.
void CNodePropPage::AddButton(unsigned step, node::Spot spot, FieldKind kind, int part, CButton& button)
{
    NodeField* field = FieldAt(spot.point, spot.at);
    if (!field) {
        m_fields.push_back({step, spot.point, spot.at, kind, nullptr, {}, ""});
        field = &m_fields.back();
    }
    field->buttons[static_cast<size_t>(part)] = &button;
}

// An output's level lies in the byte before its mode.
void CNodePropPage::LinkLevels()
{
    for (NodeField& f : m_fields)
        if (f.kind == FieldKind::OverrideMode)
            if (const NodeField* level = FieldAt(f.point, f.at - node::kModeAfterLevel))
                f.edit = level->edit;
}

NodeField* CNodePropPage::FieldAt(long point, int at)
{
    for (NodeField& f : m_fields)
        if (f.point == point && f.at == at)
            return &f;
    return nullptr;
}

void CNodePropPage::BindControls(CDataExchange* pDX)
{
    for (const Binding& b : m_bindings)
        DDX_Control(pDX, static_cast<int>(b.id), *b.control);
}

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
    if (IsEntryKind(field.kind))
        state.text = field.edit->GetWindowText();
    for (int b = 0; b < ChoiceOf(field.kind).buttons; ++b)
        state.checks[static_cast<size_t>(b)] = field.buttons[static_cast<size_t>(b)]->GetCheck();
    return state;
}

void CNodePropPage::Show(size_t index, const unsigned char* buffer)
{
    const NodeField& f = m_fields[index];
    const unsigned char* at = buffer + f.at;
    if (IsTextKind(f.kind))
        f.edit->SetWindowText(ShowField(f.kind, at));
    else
        ChoiceOf(f.kind).show(f, at[0]);
    Shown& shown = m_shown[index];
    shown.known = true;
    std::copy(at, at + FieldWidth(f.kind), shown.bytes.begin());
    shown.state = StateOf(f);
}

long CNodePropPage::ReadStep(unsigned step, PointBuffer& buffer) const
{
    // The steps an order joins share their point.
    const auto s = std::find_if(m_steps.begin(), m_steps.end(), [step](const StepPoint& p) { return p.step & step; });
    if (s == m_steps.end() || ReadPoint(s->point, buffer) != kNodeOk)
        return 0;
    return s->point;
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
        if (e.edited && IsEntryKind(f.kind) && ScaleEntry(f.kind, e.state.text, e.scaled) != EntryCheck::kAccepted) {
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
    const std::string text = std::string(field.label) + ": enter a number " + AcceptedRange(field.kind) + ".";
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
                std::copy_n(m_shown[i].bytes.begin(), FieldWidth(f.kind), at);
        } else if (IsEntryKind(f.kind)) {
            PutField(f.kind, e.scaled, at);
        } else {
            at[0] = static_cast<unsigned char>(ChoiceOf(f.kind).choose(e.state.checks, at[0]));
        }
    }
}

// The control a click rule's effect names: in the clicked field, or in the
// page's one field of another kind.
CWnd* CNodePropPage::EffectControl(const NodeField& clicked, FieldKind kind, int part) const
{
    const NodeField* field = &clicked;
    if (kind != clicked.kind) {
        const auto f = std::find_if(m_fields.begin(), m_fields.end(), [kind](const NodeField& n) { return n.kind == kind; });
        if (f == m_fields.end())
            return nullptr;
        field = &*f;
    }
    if (part == kEdit)
        return field->edit;
    return field->buttons[static_cast<size_t>(part)];
}

void CNodePropPage::OnChoiceClicked(UINT nID)
{
    for (const NodeField& f : m_fields)
        for (const ClickRule& rule : kClickRules) {
            CButton* button = rule.kind == f.kind ? f.buttons[static_cast<size_t>(rule.part)] : nullptr;
            if (!button || button->GetDlgCtrlID() != static_cast<int>(nID))
                continue;
            for (const Effect& e : rule.effects) {
                CWnd* control = e.kind == FieldKind::kCount ? nullptr : EffectControl(f, e.kind, e.part);
                if (!control)
                    continue;
                if (e.enable != kKeep)
                    control->EnableWindow(e.enable);
                if (e.check != kKeep)
                    static_cast<CButton*>(control)->SetCheck(e.check);
            }
            return;
        }
}
