// The stand-in host's client site: IOleClientSite and IOleInPlaceSite for the
// control, and the node-access interfaces IReadNode and IWriteNode over a
// simulated node, with a log of every node call. What only the tests use is
// marked as test support.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/node/NodeModel.h"
#include "nodeaccess/NodeAccess.h"

struct NodeCall {
    enum Kind { kRead, kWrite, kName } kind;
    long point;   // 0 for kName
    long size;    // capacity for kRead and kName, length for kWrite
    long status;  // what the call returned
    // kRead, kName: the bytes delivered (empty unless status is 0);
    // kWrite: the bytes sent.
    std::vector<unsigned char> bytes;
};

struct SiteOptions {
    bool offerRead = true;         // QueryInterface answers IReadNode
    bool offerWrite = true;        // QueryInterface answers IWriteNode
    bool separateObjects = false;  // serve them from two objects of their own
    unsigned delayMs = 0;          // every node call waits this long first
    bool pump = false;             // and dispatches messages while it waits
    std::string nodeFile;          // when set, rewritten after every accepted write
    // Test support, set by no host option: points whose reads fill only so
    // many bytes, from byte 0 on.
    std::map<long, long> readFill;
};

// Owns the site object (and, with separateObjects, the two node objects).
// The objects live exactly as long as this; their reference counts are kept
// for inspection only, so that a client that releases too often shows as a
// count below what it started from instead of a crash.
class CNodeSite {
public:
    // `container`: the window the control is in-place activated in, at `pos`,
    // which the host that places it decides; without one the control is not
    // activated in place.
    CNodeSite(NodeModel& node, const SiteOptions& options, HWND container = nullptr, RECT pos = {});
    ~CNodeSite();
    CNodeSite(const CNodeSite&) = delete;
    CNodeSite& operator=(const CNodeSite&) = delete;

    IOleClientSite* ClientSite() const;  // borrowed; no reference added

    // Outstanding references to the site object beyond the one it was
    // created with.
    long SiteRefs() const;

    // Called after every node call, once it is in Calls().
    std::function<void(const NodeCall&)> onCall;
    // Called when rewriting the node file fails; the write itself stands.
    std::function<void(const std::string& error)> onSaveError;

    NodeModel& Node() const;

    // The wait before each node call, from the next call on; a call already
    // waiting keeps the wait it began with.
    void SetDelay(unsigned ms);
    unsigned Delay() const;

    // ---- Test support --------------------------------------------------------
    // The tests and the bench use these; the host program does not.

    // Outstanding references to the node objects, as SiteRefs() counts
    // them; with one shared object all three report the same count.
    long ReadRefs() const;
    long WriteRefs() const;

    // Every node call so far.
    const std::vector<NodeCall>& Calls() const;
    void ClearCalls();
    // Called as each node call begins to wait, before any message of the
    // wait is dispatched; the point is 0 for GetNodeName.
    std::function<void(NodeCall::Kind kind, long point)> onWait;
    // Called as QueryInterface on the site object begins.
    std::function<void(REFIID iid)> onQueryInterface;
    // Called after every Release on one of the objects: "site", or with
    // separate objects "read" or "write".
    std::function<void(const char* object)> onRelease;

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};
