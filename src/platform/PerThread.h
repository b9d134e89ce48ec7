// One object per thread and call site: made on first use on a thread and
// destroyed when that thread ends.
//
// Not a plain `thread_local` object on Windows: the mingw-w64 runtime keeps
// such objects in emulated thread storage and, at thread exit, may free that
// storage before it runs their destructors, which then work on freed memory.
// There the object lives on the heap and a thread key's destructor deletes it.
#pragma once

#ifdef _WIN32
#include <pthread.h>

#include <memory>
#include <new>
#endif

namespace kq {

// Tag tells apart call sites that keep objects of the same type.
template <class T, class Tag = T>
T& PerThread()
{
#ifdef _WIN32
    static const pthread_key_t key = [] {
        pthread_key_t made;
        if (pthread_key_create(&made, [](void* object) { delete static_cast<T*>(object); }) != 0)
            throw std::bad_alloc();
        return made;
    }();
    void* object = pthread_getspecific(key);
    if (!object) {
        auto made = std::make_unique<T>();
        if (pthread_setspecific(key, made.get()) != 0) throw std::bad_alloc();
        object = made.release();
    }
    return *static_cast<T*>(object);
#else
    thread_local T object;
    return object;
#endif
}

}  // namespace kq
