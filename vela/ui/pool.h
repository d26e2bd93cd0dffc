#pragma once
// The framework's registries take their memory from Boost.Pool; each
// singleton pool guards itself with its own mutex, so the framework adds none.
#include <boost/functional/hash.hpp>
#include <boost/pool/pool_alloc.hpp>
#include <boost/unordered_map.hpp>
#include <boost/unordered_set.hpp>

#include <functional>
#include <utility>
#include <vector>

namespace vela {

template <class T>
using PoolVector = std::vector<T, boost::fast_pool_allocator<T>>;

template <class T>
using PoolSet = boost::unordered_set<T, boost::hash<T>, std::equal_to<T>,
                                     boost::fast_pool_allocator<T>>;

template <class K, class V>
using PoolMultimap =
    boost::unordered_multimap<K, V, boost::hash<K>, std::equal_to<K>,
                              boost::fast_pool_allocator<std::pair<const K, V>>>;

} // namespace vela
