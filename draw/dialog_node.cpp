#include "draw/dialog_node.h"

DialogNode* gDialogList = nullptr;
uint32_t gDialogCount = 0;

void FreeDialogList() {
    DialogNode* node = gDialogList;
    while (node) {
        DialogNode* next = node->next;
        delete node;
        node = next;
    }
    gDialogList = nullptr;
    gDialogCount = 0;
}
