.pragma library

// The paging rule shared by the paged lists: pages counted from 0, shown from 1.

var firstPageMessage = "已经是第一页!";
var lastPageMessage = "已经是最后一页!";
var noJumpMessage = "无法跳转!";

function pageCount(total, perPage) {
    return Math.ceil(total / perPage);
}

function pageText(page, totalPage) {
    return "当前页: " + (page + 1) + " / " + totalPage;
}

function countText(rows, total) {
    return "当前页: " + rows + " 条 / 总 " + total + " 条";
}

// Each returns {page} for a page to go to, or {message} when there is none.
function previous(page) {
    return page - 1 < 0 ? {message: firstPageMessage} : {page: page - 1};
}

function next(page, totalPage) {
    return page + 1 >= totalPage ? {message: lastPageMessage} : {page: page + 1};
}

function goTo(text, totalPage) {
    const number = parseInt(text, 10);
    if (text === "" || isNaN(number) || number <= 0 || number > totalPage)
        return {message: noJumpMessage};
    return {page: number - 1};
}
