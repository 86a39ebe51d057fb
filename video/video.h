#pragma once

// The video engine library; its classes have their own headers beside this one.
