#pragma once

// Error numbers of the tree, image list and grid controls, as their users know them.
namespace ErrorNumber {
inline constexpr int SubscriptOutOfRange = 381; // a grid cell that is not there
inline constexpr int ElementNotFound = 35601;   // no node with that key
inline constexpr int KeyNotUnique = 35602;      // a key that a node or picture already has
} // namespace ErrorNumber
