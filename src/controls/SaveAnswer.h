#pragma once

// The answer to "有未保存的修改，是否保存？": store the changes, drop them, or stay where one was.
enum class SaveAnswer { Save, Discard, Cancel };
