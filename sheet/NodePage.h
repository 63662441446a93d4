// CNodePropPage: what every page of the sheet shares: its way to the node,
// and the Read and Write of its fields, the controls that show bytes of the
// node's data points.
//
// A page reaches the node only through the sheet that owns its window, and
// takes the sheet's interface at the moment of each call; an interface the
// sheet does not hold makes the call fail.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "framework/AfxWin.h"
#include "nodeaccess/NodeAccess.h"
#include "nodeaccess/NodeLayout.h"
#include "nodeaccess/ValueText.h"

using PointBuffer = unsigned char[kPointCapacity];
using NameBuffer = unsigned char[kNodeNameCapacity];

// A status the node never returns: the sheet holds no interface for the call.
constexpr long kNoInterface = -1;

// ---- A page family's table ---------------------------------------------------------
// A family's pages (one per zone, or the one common page) are one table of
// controls, a row each; rows that share a value's bytes are its field.

// The control IDs of a row on each zone's page: their resource names end in
// the zone; 0 where that zone's page has no such control.
#define VENNOX_ZONE_IDS(name) {name##_1, name##_2, name##_3, name##_4}
#define VENNOX_SHARED_ID(id) {id, id, id, id}
#define VENNOX_ZONE4_ID(id) {0, 0, 0, id}

// One control: its ID on each zone's page, the member it binds, its place
// in the order the page binds its controls (1 first), the step of the
// page's Read and Write that covers its bytes, where those lie on each
// zone's page, their kind, and the control's part in its field: a value's
// edit (kEdit), or a choice's button n; an entry's label, for the message
// that refuses it.
constexpr int kEdit = -1;
constexpr int kMaxButtons = 4;  // of a choice
template <class Page>
struct ControlRow {
    std::array<UINT, node::kZones> ids;
    CEdit Page::*edit;
    CButton Page::*button;
    int bound;
    unsigned step;
    node::ZoneSpots spots;
    FieldKind kind;
    int part;
    const char* label;
};

template <class Page>
constexpr ControlRow<Page> EditRow(std::array<UINT, node::kZones> ids, CEdit Page::*edit, int bound, unsigned step,
                                   node::ZoneSpots spots, FieldKind kind, const char* label = "")
{
    return {ids, edit, nullptr, bound, step, spots, kind, kEdit, label};
}

template <class Page>
constexpr ControlRow<Page> ButtonRow(std::array<UINT, node::kZones> ids, CButton Page::*button, int bound,
                                     unsigned step, node::ZoneSpots spots, FieldKind kind, int part)
{
    return {ids, nullptr, button, bound, step, spots, kind, part, ""};
}

// A step of the page's procedures: one read (and write) of a point, on each
// zone's page. Steps are bits; a page's order of steps may join steps of
// the same point into one.
struct StepRow {
    unsigned step;
    std::array<long, node::kZones> points;
};

constexpr std::array<long, node::kZones> PointsOf(const node::ZoneSpots& spots)
{
    std::array<long, node::kZones> points{};
    for (size_t z = 0; z < node::kZones; ++z)
        points[z] = spots[z].point;
    return points;
}

// ---- Checks of a table, at compile time ----

template <class Page, size_t N>
constexpr bool BoundOnceEach(const ControlRow<Page> (&rows)[N])
{
    for (int rank = 1; rank <= static_cast<int>(N); ++rank) {
        int found = 0;
        for (const ControlRow<Page>& r : rows)
            found += r.bound == rank;
        if (found != 1)
            return false;
    }
    return true;
}

constexpr bool SameSpot(node::Spot a, node::Spot b) { return a.point == b.point && a.at == b.at; }

// A choice's buttons are the rows of one place: on every page that has them
// they share their step and kind and number their parts from 0 without a
// gap or a double; an edit's place is its own.
template <class Page, size_t N>
constexpr bool ChoicesWhole(const ControlRow<Page> (&rows)[N])
{
    for (size_t z = 0; z < node::kZones; ++z)
        for (const ControlRow<Page>& r : rows) {
            if (r.part >= kMaxButtons)
                return false;
            bool before = r.part <= 0;
            for (const ControlRow<Page>& o : rows) {
                if (&o == &r || !r.ids[z] || !o.ids[z] || !SameSpot(o.spots[z], r.spots[z]))
                    continue;
                if (r.part == kEdit || o.part == kEdit || o.kind != r.kind || o.step != r.step || o.part == r.part)
                    return false;
                before = before || o.part == r.part - 1;
            }
            if (r.ids[z] && !before)
                return false;
        }
    return true;
}

constexpr const StepRow* FindStep(const StepRow* steps, size_t count, unsigned step)
{
    for (size_t i = 0; i < count; ++i)
        if (steps[i].step == step)
            return &steps[i];
    return nullptr;
}

// Every control's bytes lie in the point of its step, on every zone's page.
template <class Page, size_t N, size_t S>
constexpr bool InTheirSteps(const ControlRow<Page> (&rows)[N], const StepRow (&steps)[S])
{
    for (const ControlRow<Page>& r : rows) {
        const StepRow* step = FindStep(steps, S, r.step);
        if (!step)
            return false;
        for (size_t z = 0; z < node::kZones; ++z)
            if (r.ids[z] && r.spots[z].point != step->points[z])
                return false;
    }
    return true;
}

// The steps an order joins read one point on zone `zone`'s page.
template <size_t S>
constexpr bool OnePointEach(const StepRow (&steps)[S], const unsigned* order, size_t count, int zone)
{
    for (size_t i = 0; i < count; ++i) {
        long point = 0;
        for (const StepRow& s : steps) {
            if (!(order[i] & s.step))
                continue;
            const long p = s.points[static_cast<size_t>(zone - 1)];
            if (point && p != point)
                return false;
            point = p;
        }
        if (!point)
            return false;
    }
    return true;
}

// ---- The page's fields, as built from its table ----

// Bytes of a data point and the controls that show them.
struct NodeField {
    unsigned step;
    long point;
    int at;  // the first byte
    FieldKind kind;
    CEdit* edit;                      // a value's edit; an override's level edit
    std::array<CButton*, kMaxButtons> buttons;  // a choice's buttons
    const char* label;
};

class CNodePropPage : public CPropertyPage {
    DECLARE_DYNAMIC(CNodePropPage)
public:
    explicit CNodePropPage(UINT nIDTemplate) : CPropertyPage(nIDTemplate, nIDTemplate) {}

    // Binds the controls, then keeps what they hold as what the page put
    // there: a field never shown is untouched while they keep it.
    BOOL OnInitDialog() override;

protected:
    // ---- Node calls ----
    // kNodeOk when `buffer` holds the point's bytes. The buffer is cleared
    // first: a host that fills fewer bytes than asked leaves zeros, never
    // the bytes of a point read before into the same buffer.
    long ReadPoint(long point, PointBuffer& buffer) const;
    // The node's answer to a write is not examined: the read that follows
    // shows what the node holds.
    void WritePoint(long point, const PointBuffer& buffer, long length) const;
    long GetNodeName(NameBuffer& buffer) const;

    // ---- Fields ----
    // Takes the fields, steps and controls of zone `zone`'s page from its
    // family's table (the page's constructor calls it); BindControls binds
    // the controls in their order (the page's DoDataExchange calls it).
    template <class Page, size_t N, size_t S>
    void UseTable(Page& page, const ControlRow<Page> (&rows)[N], const StepRow (&steps)[S], int zone);
    void BindControls(CDataExchange* pDX);

    // The steps of the page's Read and Write, in their order; set by the
    // page's constructor.
    std::vector<unsigned> m_readSteps;
    std::vector<unsigned> m_writeSteps;

    // Reads each step's point and shows its fields; a failed read leaves
    // them as they are. Like OnWrite, it does nothing while another node
    // call of the sheet waits.
    void ShowSteps(const std::vector<unsigned>& steps);
    // The read procedure: the read steps.
    void OnRead();
    // The write procedure: the entries are taken from the controls and
    // checked before any node call; an entry a field cannot take stops the
    // Write with a message. Then each write step reads its point afresh and
    // writes it back with the page's fields replaced: a field the operator
    // has not changed since the page showed it goes back as the bytes it was
    // shown from, an edited one as entered. A point whose read fails is not
    // written. The read procedure follows.
    void OnWrite();
    // A click on a choice's button: what it does to the page's buttons (a
    // mode, a valve type, the input's use).
    void OnChoiceClicked(UINT nID);

    DECLARE_MESSAGE_MAP()

private:
    // What a field's controls hold: an edit's text, the buttons' check states.
    struct ControlState {
        std::string text;
        std::array<int, kMaxButtons> checks{};
        bool operator==(const ControlState& o) const { return text == o.text && checks == o.checks; }
    };
    // What the page last put into a field's controls, and the bytes it
    // showed there (none before the first successful read).
    struct Shown {
        ControlState state;
        bool known = false;
        std::array<unsigned char, 2> bytes{};
    };
    // A field's entry when Write was pressed.
    struct Entry {
        bool edited = false;
        ControlState state;
        long scaled = 0;  // an edited value, as ScaleEntry gave it
    };

    void AddEdit(unsigned step, node::Spot spot, FieldKind kind, CEdit& edit, const char* label);
    void AddButton(unsigned step, node::Spot spot, FieldKind kind, int part, CButton& button);
    // Gives each override its level edit.
    void LinkLevels();
    NodeField* FieldAt(long point, int at);
    CWnd* EffectControl(const NodeField& clicked, FieldKind kind, int part) const;

    // A node call of the sheet has not returned: the host dispatches
    // messages while it waits.
    bool NodeCallInFlight() const;
    // Reads the point of a step (or of steps an order joins) into `buffer`:
    // the point, or 0 when the page has no such step or the read fails.
    long ReadStep(unsigned step, PointBuffer& buffer) const;
    static ControlState StateOf(const NodeField& field);
    // Shows field `index` from the point's bytes and keeps what it showed.
    void Show(size_t index, const unsigned char* buffer);
    // The entries of the fields the Write covers; false when one is refused
    // (after the message).
    bool TakeEntries(std::vector<Entry>& entries);
    void Refuse(const NodeField& field);
    void PutEntries(unsigned step, const std::vector<Entry>& entries, PointBuffer& buffer) const;

    std::vector<NodeField> m_fields;  // in the order of the family's table
    struct StepPoint {
        unsigned step;
        long point;
    };
    std::vector<StepPoint> m_steps;   // the steps' points on this page
    std::vector<Shown> m_shown;       // one per field
    struct Binding {
        UINT id;
        CWnd* control;
    };
    std::vector<Binding> m_bindings;  // in the order they are bound
};

template <class Page, size_t N, size_t S>
void CNodePropPage::UseTable(Page& page, const ControlRow<Page> (&rows)[N], const StepRow (&steps)[S], int zone)
{
    const size_t z = static_cast<size_t>(zone - 1);
    for (const StepRow& s : steps)
        m_steps.push_back({s.step, s.points[z]});
    for (const ControlRow<Page>& r : rows) {
        if (!r.ids[z])
            continue;
        if (r.part == kEdit)
            AddEdit(r.step, r.spots[z], r.kind, page.*r.edit, r.label);
        else
            AddButton(r.step, r.spots[z], r.kind, r.part, page.*r.button);
    }
    LinkLevels();
    for (int rank = 1; rank <= static_cast<int>(N); ++rank)
        for (const ControlRow<Page>& r : rows)
            if (r.bound == rank && r.ids[z])
                m_bindings.push_back({r.ids[z], r.edit ? static_cast<CWnd*>(&(page.*r.edit)) : &(page.*r.button)});
}

// One page class of a zone page family: `family` over zone `zone` (1 to 4),
// with dynamic creation.
#define VENNOX_ZONE_PAGE(name, family, zone) \
    class name : public family {             \
        DECLARE_DYNCREATE(name)              \
    public:                                  \
        name() : family(zone) {}             \
    };
