// Message queues: one per thread that uses them, created on first use.
// Retrieval order follows Windows: posted and input messages first, then
// WM_QUIT once the posted messages are gone, then due timers.
#include "user/queue.h"
#include "user/remote_windows.h"

#include "core/app.h"
#include "user/hooks.h"
#include "user/input.h"
#include "user/window.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <unordered_map>

namespace platform::ui {
namespace {

using Clock = std::chrono::steady_clock;

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT elapse;
    TIMERPROC proc;
    Clock::time_point due;
};

struct ThreadQueue {
    DWORD tid = 0;
    bool ui = false;
    std::mutex lock;
    std::condition_variable wake;  // non-UI threads wait here
    std::deque<MSG> posted;
    bool quit = false;
    int quitCode = 0;
    std::vector<Timer> timers;
    UINT_PTR nextTimerId = 1;
};

std::mutex registryLock;
std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>> &registry() {
    static auto *r = new std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>>;
    return *r;
}

// Removes the thread's queue when the thread ends.
struct QueueOwner {
    DWORD tid = 0;
    ~QueueOwner() {
        if (!tid) return;
        std::lock_guard<std::mutex> g(registryLock);
        registry().erase(tid);
    }
};
thread_local QueueOwner queueOwner;
thread_local std::shared_ptr<ThreadQueue> currentQueueCache;
thread_local int pumpDepth = 0;
thread_local int dispatchDepth = 0;
thread_local int pumpLoopLevel = 0;
thread_local MSG lastMessage{};

std::shared_ptr<ThreadQueue> currentQueue() {
    if (currentQueueCache) return currentQueueCache;
    auto q = std::make_shared<ThreadQueue>();
    q->tid = GetCurrentThreadId();
    q->ui = uiApplication() && uiOnMainThread();
    {
        std::lock_guard<std::mutex> g(registryLock);
        registry()[q->tid] = q;
    }
    queueOwner.tid = q->tid;
    currentQueueCache = q;
    return q;
}

std::shared_ptr<ThreadQueue> queueOf(DWORD tid) {
    if (tid == GetCurrentThreadId()) return currentQueue();
    std::lock_guard<std::mutex> g(registryLock);
    auto it = registry().find(tid);
    return it == registry().end() ? nullptr : it->second;
}

void wakeQueue(ThreadQueue &q) {
    if (q.ui) {
        if (auto *d = QAbstractEventDispatcher::instance(uiApplication()->thread())) d->wakeUp();
    } else {
        q.wake.notify_all();
    }
}

POINT cursorPos() {
    POINT p{0, 0};
    GetCursorPos(&p);
    return p;
}

bool postTo(ThreadQueue &q, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    {
        std::lock_guard<std::mutex> g(q.lock);
        if (q.posted.size() >= 10000) {
            SetLastError(ERROR_NOT_ENOUGH_QUOTA);
            return false;
        }
        q.posted.push_back(MSG{hwnd, msg, wParam, lParam, GetTickCount(), cursorPos()});
    }
    wakeQueue(q);
    return true;
}

bool isInFilter(const MSG &m, HWND hwnd, UINT min, UINT max) {
    if (min || max) {
        if (m.message < min || m.message > max) return false;
    }
    if (hwnd == reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1))) return m.hwnd == nullptr;
    if (hwnd) return m.hwnd == hwnd || IsChild(hwnd, m.hwnd);
    return true;
}

// The next message without waiting; timers are checked last.
bool takeMessage(ThreadQueue &q, MSG *msg, HWND hwnd, UINT min, UINT max, UINT remove) {
    std::unique_lock<std::mutex> g(q.lock);
    for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
        if (!isInFilter(*it, hwnd, min, max)) continue;
        *msg = *it;
        if (remove & PM_REMOVE) q.posted.erase(it);
        return true;
    }
    if (q.quit) {
        *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0, GetTickCount(), cursorPos()};
        if (remove & PM_REMOVE) q.quit = false;
        return true;
    }
    auto now = Clock::now();
    for (Timer &t : q.timers) {
        if (t.due > now) continue;
        MSG m{t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), GetTickCount(), cursorPos()};
        if (!isInFilter(m, hwnd, min, max)) continue;
        *msg = m;
        // A timer's message is made when it is taken; a late timer fires
        // once, however many periods it missed.
        if (remove & PM_REMOVE) t.due = now + std::chrono::milliseconds(t.elapse);
        return true;
    }
    return false;
}

Clock::time_point nextDue(ThreadQueue &q) {
    std::lock_guard<std::mutex> g(q.lock);
    Clock::time_point next = Clock::time_point::max();
    for (const Timer &t : q.timers) next = std::min(next, t.due);
    return next;
}

// Lets Qt handle what it has; when wait is set, blocks until something
// happens (a widget event, a wake-up from PostMessageA, the next timer).
void pumpQt(ThreadQueue &q, bool wait) {
    QApplication *app = uiApplication();
    if (!wait) {
        app->processEvents(QEventLoop::AllEvents);
        return;
    }
    static QTimer *waker = nullptr;
    Clock::time_point due = nextDue(q);
    if (due != Clock::time_point::max()) {
        if (!waker) {
            waker = new QTimer(app);
            waker->setSingleShot(true);
            waker->setTimerType(Qt::PreciseTimer);
        }
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now()).count();
        waker->start(static_cast<int>(std::max<long long>(0, std::min<long long>(ms + 1, 1 << 30))));
    }
    app->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace

bool queueRetrieve(MSG *msg, HWND hwnd, UINT min, UINT max, UINT remove, bool wait) {
    auto q = currentQueue();
    ++pumpDepth;
    int savedLevel = pumpLoopLevel;
    if (q->ui) pumpLoopLevel = QThread::currentThread()->loopLevel();
    struct Restore {
        int saved;
        ~Restore() {
            --pumpDepth;
            pumpLoopLevel = saved;
        }
    } restore{savedLevel};
    if (q->ui) pumpQt(*q, false);
    for (;;) {
        if (takeMessage(*q, msg, hwnd, min, max, remove)) {
            lastMessage = *msg;
            return true;
        }
        if (!wait) return false;
        if (q->ui) {
            pumpQt(*q, true);
        } else {
            std::unique_lock<std::mutex> g(q->lock);
            if (!q->posted.empty() || q->quit) continue;
            Clock::time_point due = Clock::time_point::max();
            for (const Timer &t : q->timers) due = std::min(due, t.due);
            if (due == Clock::time_point::max()) q->wake.wait(g);
            else q->wake.wait_until(g, due);
        }
    }
}

void queueAttach() { currentQueue(); }

bool queuePumping() {
    return (pumpDepth > 0 || dispatchDepth > 0) && QThread::currentThread()->loopLevel() == pumpLoopLevel;
}

void queuePostInput(const MSG &msg) {
    auto q = currentQueue();
    std::lock_guard<std::mutex> g(q->lock);
    q->posted.push_back(msg);
}

void queueForgetWindow(HWND hwnd) {
    auto q = queueOf(GetCurrentThreadId());
    if (!q) return;
    std::lock_guard<std::mutex> g(q->lock);
    std::erase_if(q->timers, [hwnd](const Timer &t) { return t.hwnd == hwnd; });
    std::erase_if(q->posted, [hwnd](const MSG &m) { return m.hwnd == hwnd; });
}

void runModalLoop(const std::function<bool()> &done, const std::function<bool(MSG &)> &filter) {
    MSG msg;
    while (!done()) {
        queueRetrieve(&msg, nullptr, 0, 0, PM_REMOVE, true);
        hooksGetMessage(&msg, PM_REMOVE);
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (filter && filter(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace platform::ui

using namespace platform;
using namespace platform::ui;

namespace {

// Messages registered by name share one table with values 0xC000..0xFFFF.
std::mutex registeredLock;
std::map<std::string, UINT> &registeredMessages() {
    static auto *m = new std::map<std::string, UINT>;
    return *m;
}

std::string upperAscii(const char *s) {
    std::string u(s);
    for (char &c : u)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return u;
}

}  // namespace

extern "C" {

WINUSERAPI BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    if (!lpMsg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (hWnd && hWnd != reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1)) && !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    queueRetrieve(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, PM_REMOVE, true);
    hooksGetMessage(lpMsg, PM_REMOVE);
    return lpMsg->message != WM_QUIT;
}

WINUSERAPI BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                                    UINT wRemoveMsg) {
    if (!lpMsg) return FALSE;
    if (!queueRetrieve(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, wRemoveMsg, false)) return FALSE;
    hooksGetMessage(lpMsg, wRemoveMsg);
    return TRUE;
}

WINUSERAPI BOOL WINAPI WaitMessage(void) {
    MSG m;
    queueRetrieve(&m, nullptr, 0, 0, PM_NOREMOVE, true);
    return TRUE;
}

WINUSERAPI BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (!hWnd) return PostThreadMessageA(GetCurrentThreadId(), Msg, wParam, lParam);
    if (hWnd == HWND_BROADCAST) {
        HWND top = GetWindow(GetDesktopWindow(), GW_CHILD);
        for (; top; top = GetWindow(top, GW_HWNDNEXT)) PostMessageA(top, Msg, wParam, lParam);
        return TRUE;
    }
    auto w = windowGet(hWnd);
    if (!w) {
        int remote = remotePost(hWnd, Msg, wParam, lParam);  // a window of another process
        if (remote >= 0) return remote;
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    auto q = queueOf(w->threadId);
    if (!q) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    return postTo(*q, hWnd, Msg, wParam, lParam);
}

WINUSERAPI BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
    auto q = queueOf(idThread);
    if (!q) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    return postTo(*q, nullptr, Msg, wParam, lParam);
}

WINUSERAPI void WINAPI PostQuitMessage(int nExitCode) {
    auto q = currentQueue();
    {
        std::lock_guard<std::mutex> g(q->lock);
        q->quit = true;
        q->quitCode = nExitCode;
    }
    wakeQueue(*q);
}

WINUSERAPI BOOL WINAPI TranslateMessage(const MSG *lpMsg) {
    if (!lpMsg || (lpMsg->message != WM_KEYDOWN && lpMsg->message != WM_SYSKEYDOWN)) return FALSE;
    // The key's text travels in the input record; WM_CHAR carries it in the
    // 8-bit code page.
    WPARAM ch;
    if (!inputCharOf(*lpMsg, &ch)) return FALSE;
    MSG m = *lpMsg;
    m.message = lpMsg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    m.wParam = ch;
    auto q = currentQueue();
    std::lock_guard<std::mutex> g(q->lock);
    q->posted.push_front(m);
    return TRUE;
}

WINUSERAPI LRESULT WINAPI DispatchMessageA(const MSG *lpMsg) {
    if (!lpMsg) return 0;
    if (lpMsg->message == WM_TIMER && lpMsg->lParam) {
        auto proc = reinterpret_cast<TIMERPROC>(lpMsg->lParam);
        ++dispatchDepth;
        proc(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, GetTickCount());
        --dispatchDepth;
        return 0;
    }
    if (!lpMsg->hwnd) return 0;
    auto w = windowGet(lpMsg->hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    ++dispatchDepth;
    LRESULT r = callWindowProc(w->proc.load(), lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
    --dispatchDepth;
    return r;
}

WINUSERAPI DWORD WINAPI GetMessageTime(void) { return lastMessage.time; }

WINUSERAPI DWORD WINAPI GetMessagePos(void) {
    return static_cast<DWORD>(MAKELONG(lastMessage.pt.x, lastMessage.pt.y));
}

WINUSERAPI UINT WINAPI RegisterWindowMessageA(LPCSTR lpString) {
    if (!lpString || !*lpString) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard<std::mutex> g(registeredLock);
    auto &m = registeredMessages();
    std::string key = upperAscii(lpString);
    auto it = m.find(key);
    if (it != m.end()) return it->second;
    if (m.size() >= 0x4000) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    UINT v = 0xC000 + static_cast<UINT>(m.size());
    m.emplace(key, v);
    return v;
}

WINUSERAPI UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    if (hWnd) {
        auto w = windowGet(hWnd);
        if (!w || w->threadId != GetCurrentThreadId()) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
    }
    uElapse = std::max<UINT>(uElapse, 10);
    auto q = currentQueue();
    std::lock_guard<std::mutex> g(q->lock);
    auto due = Clock::now() + std::chrono::milliseconds(uElapse);
    if (hWnd) {
        for (Timer &t : q->timers)
            if (t.hwnd == hWnd && t.id == nIDEvent) {
                t.elapse = uElapse, t.proc = lpTimerFunc, t.due = due;
                return nIDEvent ? nIDEvent : 1;
            }
        q->timers.push_back(Timer{hWnd, nIDEvent, uElapse, lpTimerFunc, due});
        return nIDEvent ? nIDEvent : 1;
    }
    // Timers without a window get an id of their own (nIDEvent names one to replace).
    for (Timer &t : q->timers)
        if (!t.hwnd && t.id == nIDEvent && nIDEvent) {
            t.elapse = uElapse, t.proc = lpTimerFunc, t.due = due;
            return nIDEvent;
        }
    UINT_PTR id = q->nextTimerId++;
    q->timers.push_back(Timer{nullptr, id, uElapse, lpTimerFunc, due});
    return id;
}

WINUSERAPI BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    auto q = currentQueue();
    std::lock_guard<std::mutex> g(q->lock);
    size_t before = q->timers.size();
    std::erase_if(q->timers, [&](const Timer &t) { return t.hwnd == hWnd && t.id == uIDEvent; });
    // A WM_TIMER already taken from the queue is not delivered after KillTimer.
    std::erase_if(q->posted, [&](const MSG &m) { return m.message == WM_TIMER && m.hwnd == hWnd && m.wParam == uIDEvent; });
    if (before == q->timers.size()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

}  // extern "C"
