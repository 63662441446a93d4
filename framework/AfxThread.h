// Per-thread state and a lock over the system's own primitives, so that the
// module needs none of the C++ runtime's thread support (and no threads
// library): the framework starts no threads, but a host may call in from
// several apartments.
//   afx::thread_local_object<T>  one T per thread, made on first use
//   afx::srw_lock, afx::exclusive  a slim reader/writer lock, held exclusively
#pragma once

#include <windows.h>

namespace afx {

// One T per thread in a fiber-local storage slot: made on first use on a
// thread and deleted when the thread ends, or when the slot goes (the
// object's own destruction, at unload). Where no slot can be had, the threads
// share one T.
template <typename T>
class thread_local_object {
public:
    constexpr thread_local_object() = default;
    ~thread_local_object()
    {
        if (m_index != FLS_OUT_OF_INDEXES)
            ::FlsFree(m_index);  // deletes every thread's T
    }
    thread_local_object(const thread_local_object&) = delete;
    thread_local_object& operator=(const thread_local_object&) = delete;

    T& get()
    {
        const DWORD index = Index();
        if (index == FLS_OUT_OF_INDEXES)
            return m_shared;
        auto* value = static_cast<T*>(::FlsGetValue(index));
        if (!value) {
            value = new T();
            ::FlsSetValue(index, value);
        }
        return *value;
    }
    T* operator->() { return &get(); }

private:
    static void WINAPI Delete(void* value) { delete static_cast<T*>(value); }
    static BOOL CALLBACK Allocate(INIT_ONCE*, void* self, void**)
    {
        static_cast<thread_local_object*>(self)->m_index = ::FlsAlloc(&Delete);
        return TRUE;
    }
    DWORD Index()
    {
        ::InitOnceExecuteOnce(&m_once, &Allocate, this, nullptr);
        return m_index;
    }

    INIT_ONCE m_once = INIT_ONCE_STATIC_INIT;
    DWORD m_index = FLS_OUT_OF_INDEXES;
    T m_shared{};
};

class srw_lock {
public:
    constexpr srw_lock() = default;
    srw_lock(const srw_lock&) = delete;
    srw_lock& operator=(const srw_lock&) = delete;
    SRWLOCK* get() { return &m_lock; }

private:
    SRWLOCK m_lock = SRWLOCK_INIT;
};

// Holds a srw_lock exclusively for a scope.
class exclusive {
public:
    explicit exclusive(srw_lock& lock) : m_lock(lock.get()) { ::AcquireSRWLockExclusive(m_lock); }
    ~exclusive() { ::ReleaseSRWLockExclusive(m_lock); }
    exclusive(const exclusive&) = delete;
    exclusive& operator=(const exclusive&) = delete;

private:
    SRWLOCK* m_lock;
};

}  // namespace afx
