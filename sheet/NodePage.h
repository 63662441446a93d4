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

using PointBuffer = unsigned char[kPointCapacity];
using NameBuffer = unsigned char[kNodeNameCapacity];

// A status the node never returns: the sheet holds no interface for the call.
constexpr long kNoInterface = -1;

// How a field's bytes meet its controls.
enum class FieldType : unsigned char {
    // A value in an edit, as the FieldKind of the same name.
    Whole, Tenths, SignedHundredths, Thousandths, Halves,
    // Read only: an occupancy word shown as "Occupied", "Unoccupied" or "Standby".
    OccupancyState,
    // One byte as a choice of buttons, the buttons in this order:
    OverrideMode,     // Auto, Manual off, Manual on; the level edit is enabled for Manual on
    InputMode,        // release cooling, choose input, "Window switch", "+/- 3°C"
    OccupancyChoice,  // "Occupancy", "Standby", "UnOccupancy"
    ValveType,        // "0 - 10V", "2 - 10V"
    ValveMotion,      // the automatic motion check box
};

// Bytes of a data point and the controls that show them.
struct NodeField {
    unsigned step;    // the step of the page's Read and Write that covers it: one bit
    long point;
    int at;           // the first byte
    FieldType type;
    CEdit* edit;      // a value's edit; an override's level edit
    std::array<CButton*, 4> buttons;  // a choice's buttons
    const char* label;  // the edit as the page labels it, for an entry it refuses
};

// A value in `edit`, and a choice of `buttons`.
NodeField ValueField(unsigned step, long point, int at, FieldType type, CEdit& edit, const char* label);
NodeField ChoiceField(unsigned step, long point, int at, FieldType type, std::array<CButton*, 4> buttons,
                      CEdit* edit = nullptr);

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
    // The page's fields, and the steps of its Read and Write in its order:
    // each step is one read (and write) of the point its fields lie in.
    // Set by the page's constructor.
    std::vector<NodeField> m_fields;
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
    // A click on a choice's button selects what it stands for, as a read of
    // that value would: an override mode, a valve type.
    void OnChoiceClicked(UINT nID);

    DECLARE_MESSAGE_MAP()

private:
    // What a field's controls hold: an edit's text, the buttons' check states.
    struct ControlState {
        std::string text;
        std::array<int, 4> checks{};
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

    // A node call of the sheet has not returned: the host dispatches
    // messages while it waits.
    bool NodeCallInFlight() const;
    // Reads the point of a step's fields into `buffer`: the point, or 0
    // when the step has no fields or the read fails.
    long ReadStep(unsigned step, PointBuffer& buffer) const;
    static ControlState StateOf(const NodeField& field);
    // Shows field `index` from the point's bytes and keeps what it showed.
    void Show(size_t index, const unsigned char* buffer);
    // The entries of the fields the Write covers; false when one is refused
    // (after the message).
    bool TakeEntries(std::vector<Entry>& entries);
    void Refuse(const NodeField& field);
    void PutEntries(unsigned step, const std::vector<Entry>& entries, PointBuffer& buffer) const;

    std::vector<Shown> m_shown;  // one per field
};

// One page class of a zone page family: `family` over zone `zone` (1 to 4),
// with dynamic creation.
#define VENNOX_ZONE_PAGE(name, family, zone) \
    class name : public family {             \
        DECLARE_DYNCREATE(name)              \
    public:                                  \
        name() : family(zone) {}             \
    };
